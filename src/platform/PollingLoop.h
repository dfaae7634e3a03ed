#pragma once
#include <QObject>
#include <QTimer>
#include <functional>

// The polling loop of a live window (status table, target-board interface, trending, timing
// window). Everything runs on the one GUI thread: the loop repeats the window's pass and yields to
// the event loop between passes (and the pass yields between its exchanges through yield()), so
// the user's typing, clicks and other windows run inside the loop.
//
// Rules the windows rely on:
// - A window has one loop. start() queues the loop after the activation that asks for it; while
//   the loop runs (or its start is queued), start() does nothing, so activating the window again
//   starts no second loop.
// - The loop ends when the window's running flag reads false or the application shuts down.
// - A loop started by another window while this one yields runs nested inside that yield; only
//   the most recently started loop polls until it returns, then the one beneath resumes.
// - A pass that made no exchange does not spin: the loop then waits for the next event or a short
//   timer. Anything a user does is an event, so a change of link state or table ends the wait at
//   once; code that changes what the loop must do without an event calls wake().
// - A window must not be deleted while its loop is on the stack: it hides and resets instead, and
//   deleteWhenIdle() defers a deletion until the loop has returned. The loop itself survives the
//   window's deletion without touching it again.
// Tests run one pass with runOnce().
class PollingLoop : public QObject {
    Q_OBJECT
public:
    // `running`: the window's running flag. `pass`: one pass; true when it exchanged with the board.
    PollingLoop(QObject* window, std::function<bool()> running, std::function<bool()> pass);
    ~PollingLoop() override;

    // Queues the loop (after the activation that asks for it returns).
    void start();
    // Runs the loop here and now, unless it already runs; returns when it ends.
    void run();
    // One pass as the loop makes it.
    bool runOnce() { return m_pass(); }
    // Lets pending events run; false when the loop must end (the running flag went or the
    // application is shutting down). Passes call it between their exchanges.
    bool yield();

    bool isRunning() const { return m_running; }
    bool isStartQueued() const { return m_startQueued; }
    // The idle wait's length when a pass made no exchange.
    void setIdleInterval(int ms) { m_idle.setInterval(ms); }

    // The loop that polls now (the most recently started one still running), or nullptr.
    static PollingLoop* current();
    // How many loops are on the stack.
    static int depth();
    // True while a loop of `window` is on the stack.
    static bool onStack(const QObject* window);
    // Deletes `window` once no loop of it is on the stack (at once when none is).
    static void deleteWhenIdle(QObject* window);
    // The application's shutdown: every loop ends at its next yield.
    static void setShuttingDown(bool on);
    static bool shuttingDown();
    // Ends an idle wait at once.
    static void wake();
    // Off, start() queues nothing: tests of a window drive its passes with runOnce() instead.
    static void setAutoStart(bool on);

signals:
    void finished();

private:
    bool keepGoing() const;
    void idleWait();

    QObject* m_window;
    std::function<bool()> m_running_fn;
    std::function<bool()> m_pass;
    QTimer m_idle;
    bool m_running = false;
    bool m_startQueued = false;
};
