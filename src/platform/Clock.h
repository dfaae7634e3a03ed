#pragma once
#include <QDateTime>
#include <QtGlobal>
#include <functional>

// Monotonic time in milliseconds. Every wait for the board is measured on it, so a wait that spans
// midnight (or a change of the wall clock) still ends after its own length.
qint64 monotonicMs();

// Monotonic time driven by hand, for tests whose line is simulated in-process. While any ManualClock
// lives, monotonic time moves only when the simulated line says so (advanceTo) and by each wait of
// waitLettingEventsThrough, so no pause of a busy machine can stretch what the program measures on
// it: how long a reply took, or whether a deadline passed. Afterwards the system's time goes on from
// where the manual time got, never back.
class ManualClock {
public:
    ManualClock();
    ~ManualClock();
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;
    static qint64 nowNs();
    // Moves the time on to `ns`; a time already passed leaves it.
    static void advanceTo(qint64 ns);
};

// Waits `ms` of monotonic time while the event loop goes on (windows repaint and answer; no
// spinning). Without an application it just sleeps.
void waitLettingEventsThrough(int ms);

// The lengths of every wait in one place, so that tests can shorten them. Production values are the
// protocol's own.
struct Timeouts {
    int replyMs = 1000;        // first wait for a reply byte
    int resendMs = 2000;       // each wait after FFh was sent again
    int handshakeMs = 2000;    // mode handshake deadline
    int readyMs = 3000;        // limit-switch ready poll
    int readyRetryMs = 2000;   // ready poll after Retry
    int settleMs = 100;        // pause before the configuration bytes of a download
    int identDelayMs = 2000;   // pause before the identity block is written
    int searchMs = 100000;     // search tool's result file
    int resultsMs = 1000;      // a results file that is still empty
    int quietMs = 100;         // a line that delivered late answers counts as emptied once this quiet
    int dropMs = 500;          // a board drops an exchange it half received after this much silence
    // A reply this late inside an exchange may come from a board that has dropped the exchange since:
    // a little less than dropMs, so that the byte sent next cannot reach a board silent that long.
    int staleMs = 450;
};

Timeouts& timeouts();
void resetTimeouts();
// Scales every length by num/den (tests: e.g. 1/50).
void scaleTimeouts(int num, int den);

// The PC's date and time of day (the wall clock), for what is shown or written as the PC's time.
// Tests install a fixed clock; an empty function restores the system's.
QDateTime wallClock();
void setWallClock(std::function<QDateTime()> clock);

// A date and time in the system's general date format: its short date with the year in four
// digits, and its time with seconds.
QString generalDate(const QDateTime& when);
