// The remaining-time counter of the command line: a progress bar with the percentage, the time
// spent and the time still to go. On a terminal it redraws one line in place (at most ten times
// a second); elsewhere (a log, a pipe) it prints a plain line at every tenth of the work.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

class CTerminalProgress {
public:
    // Positions run from 0 to this value.
    static constexpr int32_t kRange = 65535;

    // `tickMs` gives a millisecond clock (the system tick by default).
    CTerminalProgress(FILE* out, bool isTerminal, std::function<uint32_t()> tickMs = {});

    // A counter on standard error, drawn in place when standard error is a terminal.
    static CTerminalProgress ForStderr();

    // Starts the clock and shows the bar at 0 under a label ("" for none).
    void Start(const std::string& label);
    // A new overall position (clamped to 0..kRange); may be called from any thread.
    void SetPos(int32_t position);
    // Shows the last position and ends the line.
    void Finish();

    // "mm:ss", or "h:mm:ss" from an hour on.
    static std::string FormatDuration(uint32_t seconds);
    // The time still to go at this position after elapsedMs, in whole seconds; -1 while
    // nothing is done yet (no estimate).
    static int64_t RemainingSeconds(uint32_t elapsedMs, int32_t position);
    // The text shown for a position after elapsedMs: bar (terminal only), percentage, times.
    std::string BuildLine(int32_t position, uint32_t elapsedMs) const;

private:
    void DrawLocked(uint32_t now);

    FILE* m_out;
    bool m_isTerminal;
    std::function<uint32_t()> m_tickMs;
    std::mutex m_mutex;
    std::string m_label;
    bool m_started = false;
    int32_t m_pos = 0;
    uint32_t m_startTick = 0;
    uint32_t m_lastDrawTick = 0;
    bool m_drawn = false;
    int32_t m_lastTenth = -1; // plain output: the last tenth printed
};
