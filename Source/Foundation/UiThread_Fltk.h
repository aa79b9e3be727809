// The UI module's one thread: the only thread that touches FLTK or the X
// display. Others hand it tasks; it wakes through Fl::awake.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct _XDisplay;  // Xlib's Display

namespace Vexir {
namespace ui {

class UiThread {
public:
    static UiThread& Instance();

    // Empty when the display can be opened; otherwise why it cannot.
    std::string Unavailable();

    // One more user; starts the thread when it is the first. False when the
    // thread cannot run (no display, or the module is being unloaded).
    bool AddUser();
    // One user fewer; the last ends the thread and waits for it to finish.
    void RemoveUser();

    // Runs `task` on the UI thread and waits for it (at once, when called
    // there). False when the thread is not running, or stopped first.
    bool Run(const std::function<void()>& task);
    // Queues `task` for the UI thread without waiting; false when not running.
    // `generation`, when given, identifies the run of the thread that took it.
    bool Post(std::function<void()> task, unsigned long* generation = nullptr);
    // On the UI thread: `deleter` runs at the top of the event loop, where no
    // widget is in the middle of handling an event (tasks may run inside a
    // menu's or a dialog's own loop).
    void Bury(std::function<void()> deleter);
    bool OnUiThread() const;
    // Changes each time the thread ends: whoever waits on a window of the
    // current run can tell the window went with it.
    unsigned long Generation() const;
    // The thread is ending: a dialog closed now was closed by that, not by
    // the user.
    bool Stopping() const;

    // On the UI thread, after Fl::copy to the clipboard: X11 leaves the
    // clipboard's content with its owner, so the thread keeps running to
    // answer other programs' pastes until one of them takes the clipboard.
    void ServeClipboard();

    // The module is being unloaded: the thread ends for good.
    void Shutdown();

private:
    enum State { Idle, Running, Ending, Final };

    void Loop();
    void RunTasks();
    static void Wake(void*);
    static void Poll(void*);
    void CheckClipboard();
    void GiveUpSelections();
    void Stop(std::unique_lock<std::mutex>& hold);

    mutable std::mutex _mLock;
    std::condition_variable _cChanged;
    State _eState = Idle;
    int _iUsers = 0;
    bool _bStopRequested = false;
    bool _bWakePending = false;
    bool _bReady = false;
    bool _bFinal =
        false;  // the module is being unloaded: nothing starts again  // FLTK is set up on the thread: it may be woken
    std::thread _tThread;
    std::thread::id _idThread;
    std::deque<std::function<void()>> _dTasks;
    unsigned long _uGeneration = 0;               // counts the times queued tasks were dropped
    std::mutex _mProbeLock;                       // one probe of the display at a time
    std::string _sFailedDisplay;                  // the DISPLAY that could not be opened; under _mProbeLock
    ::_XDisplay* _pDisplay = nullptr;             // the connection FLTK is given
    std::vector<std::function<void()>> _vGraves;  // the UI thread's only
    bool _bServingClipboard = false;              // the UI thread's only; counts as a user
};

}  // namespace ui
}  // namespace Vexir
