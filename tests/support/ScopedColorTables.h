#pragma once
#include <memory>

#include "display/ColorTables.h"

// Points g_colorTables at tables of its own for the life of a scope and puts
// back whatever was there before, even when a test assertion returns early.
// The tables start as the type leaves them; SetGamma builds the curve.
class ScopedColorTables {
public:
    ScopedColorTables() : previous_(g_colorTables) { g_colorTables = tables_.get(); }
    explicit ScopedColorTables(float gamma) : ScopedColorTables() { SetGamma(gamma); }
    ~ScopedColorTables() { g_colorTables = previous_; }

    ScopedColorTables(const ScopedColorTables&) = delete;
    ScopedColorTables& operator=(const ScopedColorTables&) = delete;

    void SetGamma(float gamma) { tables_->SetGamma(gamma); }
    const ColorTables& Tables() const { return *tables_; }

private:
    // On the heap: the shade table alone is 8 KiB.
    const std::unique_ptr<ColorTables> tables_ = std::make_unique<ColorTables>();
    ColorTables* const previous_;
};
