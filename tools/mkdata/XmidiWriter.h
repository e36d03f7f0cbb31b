#pragma once
#include <cstdint>
#include <vector>

// Writes one sequence as an XMIDI file: FORM "XDIR" with "INFO" (a count of
// one), then CAT "XMID" of one FORM "XMID" holding "EVNT". Events are given
// at their ticks (120 a second) in any order; notes carry their duration,
// their note-offs left implied.
class XmidiWriter {
public:
    void Program(uint32_t tick, uint8_t channel, uint8_t program);
    void Controller(uint32_t tick, uint8_t channel, uint8_t controller, uint8_t value);
    void Note(uint32_t tick, uint8_t channel, uint8_t note, uint8_t velocity, uint32_t duration);
    // The sequence ends at `tick` (or at its last note-off, if later).
    void End(uint32_t tick) { end_ = tick; }

    // The "EVNT" bytes: in tick order, events of one tick in the order given.
    std::vector<uint8_t> Events() const;
    std::vector<uint8_t> File() const;

private:
    struct Event {
        uint32_t tick;
        std::vector<uint8_t> bytes;
    };

    std::vector<Event> events_;
    uint32_t end_ = 0;
};
