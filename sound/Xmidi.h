#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Status.h"

// XMIDI music: the sequences of a file read into plain timed MIDI channel
// messages. A file is FORM "XDIR" (chunk "INFO": the sequence count, a
// little-endian u16) followed by CAT "XMID" of one FORM "XMID" per
// sequence, or a lone FORM "XMID". Chunk sizes are big-endian. Each
// sequence holds "EVNT" (its events) and perhaps "TIMB" and others, which
// are skipped. Files are untrusted: every size, count and number is checked
// against the bytes there, and every walk ends at its chunk's end.

// A channel message of a music sequence at its tick.
struct MidiEvent {
    uint32_t tick = 0;
    uint8_t status = 0;  // 0x80 to 0xEF: channel in the low nibble
    uint8_t data1 = 0;
    uint8_t data2 = 0;   // 0 for program change and channel pressure
};

// One sequence of an XMIDI file as plain timed events: every note-on has
// its implied note-off placed at its tick; events are in tick order, and
// events of one tick keep the order they were read in (note-offs before
// the events read after their tick was reached).
struct XmidiSequence {
    std::vector<MidiEvent> events;
    // Whichever is later, so that every note-off falls inside the sequence.
    uint32_t lengthTicks = 0;  // the end of the sequence: its end meta event or its last event
};

inline constexpr uint32_t kXmidiTicksPerSecond = 120;
// No event lies at 2^31 ticks or later (about 207 days): such a sequence is
// refused.

// The number of sequences in an XMIDI file held whole in memory; 0 when the
// bytes are no XMIDI file.
int32_t CountXmidiSequences(const uint8_t* data, size_t size);

// Reads sequence `number` (from 0) of the file. kStatusOk, or
// kStatusMalformed (or kStatusNotThisRecord for a number out of range) with
// `error` saying what is wrong and where.
Status ReadXmidiSequence(const uint8_t* data, size_t size, int32_t number, XmidiSequence& out, std::string& error);
