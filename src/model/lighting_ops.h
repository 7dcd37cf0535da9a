// The lighting operations on the keyboard: the refresh that reads the mode
// list and the three lighting records, and the writes each panel change
// makes at once, every one bracketed by the begin and end commands.
//
// Write results are returned but not shown: the lighting state keeps the new
// value even when the keyboard refused it or was absent.
#pragma once

#include <cstdint>
#include <span>

#include "model/lighting.h"

namespace keyloom {

class CommandSet;

// The stored lighting view choice (a user setting kept by storage). Only the
// value 1 turns the view on at a refresh.
class LightingViewSetting {
 public:
  virtual ~LightingViewSetting() = default;
  virtual int StoredLightingView() const = 0;
};

// Reads the settings block (mode list) and the three lighting records, and
// decodes the lighting profile's record into the state. Returns -1 when the
// settings block cannot be read (the mode list is then empty), 0 otherwise.
// A record whose read fails keeps the bytes it held before.
int ReadLightingState(LightingModel& model, CommandSet& commands,
                      const LightingViewSetting& view_setting);

// One run of record bytes starting at `field`.
struct LightingRun {
  int field;
  std::span<const uint8_t> bytes;
};

// Writes the runs of one user action into the lighting profile's record,
// in order, inside one begin/end pair. Returns 1 when every command
// succeeded, else the first failing result. A lighting profile outside 0..2
// gives -201 and a run outside the 42-byte record -1, with nothing sent.
int WriteLightingBytes(const LightingModel& model, CommandSet& commands,
                       std::span<const LightingRun> runs);
int WriteLightingBytes(const LightingModel& model, CommandSet& commands, int field,
                       std::span<const uint8_t> bytes);

// The user picked `mode`: the state takes it and the record bytes the mode
// table asks for are written (mode 19 and unknown modes write nothing).
int WriteModeSelection(LightingModel& model, CommandSet& commands, int mode);

// The report rate 0..3 (the window's buttons 1..4): the state takes it and
// byte 15 of the lighting profile's record is written. A rate outside 0..3
// gives -1 with nothing changed or sent.
int WriteReportRate(LightingModel& model, CommandSet& commands, int rate);

// Restore defaults: the default record at the start of the lighting profile's record.
int WriteDefaultLightingRecord(const LightingModel& model, CommandSet& commands);

// The colour of LED `led` in the lighting profile: the host table takes it
// and the keyboard is sent its three bytes. An LED outside the 512-byte
// profile block gives -1 with nothing changed or sent.
int WriteLedColour(LightingModel& model, CommandSet& commands, int led, Colour colour);

// Sends LEDs 0..143 of the lighting profile's host table in eight frames of
// 18 LEDs (54 bytes) inside one begin/end pair.
int WriteAllLedColours(const LightingModel& model, CommandSet& commands);

}  // namespace keyloom
