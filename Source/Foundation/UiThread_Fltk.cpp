#include "Foundation/UiThread_Fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

// FLTK's hidden window that owns what it copies; its header keeps it for
// FLTK's own sources.
extern Window fl_message_window;

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>

namespace Vexir {
namespace ui {

namespace {

// The host's standard error is not ours to write to: FLTK's own complaints
// (an X error for a parent window that has gone, say) are not printed.
void Quietly(const char*, ...) {}

// Xlib ends the process when the connection to the X server breaks (the
// server stopped, a remote session closed): first in its I/O error handler,
// then in the connection's exit handler. For our connection only, both
// return instead: the UI thread stops, and the host goes on without windows.
std::atomic<bool> g_displayLost{false};
Display* g_ourDisplay = nullptr;
XIOErrorHandler g_previousIOErrorHandler = nullptr;

void OnDisplayLost(Display*, void*) { g_displayLost = true; }

int OnXIOError(Display* display)
{
    if (display == g_ourDisplay) {
        g_displayLost = true;
        return 0;
    }
    return g_previousIOErrorHandler ? g_previousIOErrorHandler(display) : 0;
}

// Xlib's default handler of protocol errors ends the process too, and a
// host's stale parent window id is enough to raise one. Errors on our
// connection are answered where they matter (a call that fails); any other
// connection's go to whoever handled them before.
XErrorHandler g_previousErrorHandler = nullptr;

int OnXError(Display* display, XErrorEvent* error)
{
    if (display == g_ourDisplay || !g_previousErrorHandler)
        return 0;
    return g_previousErrorHandler(display, error);
}

// While the thread stops, every window is closed the way its close box
// closes it (a file dialog is cancelled, a question gets its escape answer),
// again and again, as a closed dialog may open another.
void CloseWindowsWhileStopping(void* self)
{
    // An open menu shows its windows again until it is ended: by Escape.
    if (Fl_Window* menu = Fl::grab()) {
        Fl::e_keysym = FL_Escape;
        menu->handle(FL_KEYBOARD);
    }
    while (Fl_Window* window = Fl::first_window()) {
        window->do_callback();
        if (window->shown())
            window->hide();
    }
    Fl::repeat_timeout(0.02, &CloseWindowsWhileStopping, self);
}

}  // namespace

UiThread& UiThread::Instance()
{
    // Never destroyed: Shutdown ends the thread at unload, and late callers
    // from the library's own teardown then find it stopped.
    static UiThread* const instance = new UiThread;
    return *instance;
}

std::string UiThread::Unavailable()
{
    {
        std::lock_guard<std::mutex> hold(_mLock);
        if (g_displayLost)
            return "the connection to the display was lost";
        if (_bFinal)
            return "the UI module is being unloaded";
        if (_pDisplay)
            return std::string();  // opened already, and kept for the life of the process
    }
    // One probe at a time, outside the thread's lock; a display that could
    // not be opened is not tried again until DISPLAY names another, as the
    // caller may be a host logging warnings under its console lock.
    std::lock_guard<std::mutex> probing(_mProbeLock);
    const char* variable = std::getenv("DISPLAY");
    const std::string name = variable ? variable : "";
    if (name.empty())
        return "no display (DISPLAY is not set)";
    const std::string failure = "no display (cannot open \"" + name + "\")";
    if (name == _sFailedDisplay)
        return failure;
    {
        std::lock_guard<std::mutex> hold(_mLock);
        if (_pDisplay)
            return std::string();
    }
    // Opened here rather than left to FLTK, which ends the process when it
    // cannot open the display; FLTK is then given this connection. A server
    // busy accepting others may refuse a first attempt.
    Display* display = nullptr;
    for (int attempt = 0; attempt < 3 && !display; ++attempt) {
        if (attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(20 * attempt));
        display = XOpenDisplay(name.c_str());
    }
    if (!display) {
        _sFailedDisplay = name;
        return failure;
    }
    XSetIOErrorExitHandler(display, &OnDisplayLost, nullptr);
    std::lock_guard<std::mutex> hold(_mLock);
    _pDisplay = display;
    return std::string();
}

bool UiThread::AddUser()
{
    if (!Unavailable().empty())
        return false;
    std::unique_lock<std::mutex> hold(_mLock);
    for (;;) {
        // A thread on its way out is let go first; a new one starts after it.
        _cChanged.wait(hold, [this] { return _bFinal || _eState == Idle || (_eState == Running && !_bStopRequested); });
        if (_bFinal)
            return false;
        if (_eState == Running)
            break;
        if (_tThread.joinable()) {
            // It ended on its own (its last user left from the thread itself).
            std::thread previous = std::move(_tThread);
            hold.unlock();
            previous.join();
            hold.lock();
            continue;
        }
        _bStopRequested = false;
        _bReady = false;
        _bWakePending = false;  // the last run may have ended before taking its wake-up
        _eState = Running;
        _tThread = std::thread([this] { Loop(); });
        _idThread = _tThread.get_id();
        break;
    }
    // Nothing may wake the thread before FLTK's wake-up channel exists.
    _cChanged.wait(hold, [this] { return _bReady || _eState != Running; });
    if (_eState != Running || _bStopRequested)
        return false;
    ++_iUsers;
    return true;
}

void UiThread::RemoveUser()
{
    std::unique_lock<std::mutex> hold(_mLock);
    if (_iUsers > 0 && --_iUsers == 0 && _eState == Running && !_bStopRequested)
        Stop(hold);
}

// Called with the lock held; returns with it held, the thread ended.
void UiThread::Stop(std::unique_lock<std::mutex>& hold)
{
    _bStopRequested = true;
    const unsigned long run = _uGeneration;
    const std::thread::id stopping = _idThread;
    hold.unlock();
    // Ends any dialog's or menu's own loop too, so the thread gets back to
    // its own and sees the request.
    Post([this] { CloseWindowsWhileStopping(this); });
    hold.lock();
    if (std::this_thread::get_id() == stopping)
        return;  // the loop ends when this task returns; the next start joins it
    _cChanged.wait(hold, [this, run] { return _uGeneration != run; });
    // Joined by whoever takes it first: this call, or a start that came meanwhile.
    if (_tThread.get_id() == stopping) {
        std::thread ended = std::move(_tThread);
        hold.unlock();
        ended.join();
        hold.lock();
    }
}

void UiThread::Shutdown()
{
    std::unique_lock<std::mutex> hold(_mLock);
    _bFinal = true;  // nothing starts from now on
    _cChanged.notify_all();
    if (_eState == Running && !_bStopRequested)
        Stop(hold);
    _cChanged.wait(hold, [this] { return _eState != Running && _eState != Ending; });
    _eState = Final;
    if (_tThread.joinable() && std::this_thread::get_id() != _idThread) {
        std::thread ended = std::move(_tThread);
        hold.unlock();
        ended.join();
    }
}

bool UiThread::Stopping() const
{
    std::lock_guard<std::mutex> hold(_mLock);
    return _bStopRequested || g_displayLost;
}

unsigned long UiThread::Generation() const
{
    std::lock_guard<std::mutex> hold(_mLock);
    return _uGeneration;
}

bool UiThread::OnUiThread() const
{
    std::lock_guard<std::mutex> hold(_mLock);
    return _eState == Running && std::this_thread::get_id() == _idThread;
}

bool UiThread::Post(std::function<void()> task, unsigned long* generation)
{
    bool wake = false;
    {
        std::lock_guard<std::mutex> hold(_mLock);
        if (_eState != Running)
            return false;
        _dTasks.push_back(std::move(task));
        if (generation)
            *generation = _uGeneration;
        // Before FLTK is set up on the thread, its loop finds the task itself.
        wake = !_bWakePending && _bReady;
        _bWakePending = _bWakePending || wake;
    }
    // The callback form, so that the tasks also run inside a dialog's or a
    // menu's own loop. Should FLTK's ring be full, the loop's own timeout
    // still finds them.
    if (wake)
        Fl::awake(&UiThread::Wake, this);
    return true;
}

bool UiThread::Run(const std::function<void()>& task)
{
    if (OnUiThread()) {
        task();
        return true;
    }
    struct Completion {
        std::mutex lock;
        std::condition_variable done;
        bool finished = false;
    };
    auto completion = std::make_shared<Completion>();
    unsigned long generation = 0;
    if (!Post(
            [completion, &task] {
                task();
                std::lock_guard<std::mutex> hold(completion->lock);
                completion->finished = true;
                completion->done.notify_all();
            },
            &generation))
        return false;
    std::unique_lock<std::mutex> wait(completion->lock);
    // A task the thread will never run (it stopped first) counts as failed;
    // the state is checked every so often rather than signalled, as the two
    // locks are separate.
    while (!completion->finished) {
        if (completion->done.wait_for(wait, std::chrono::milliseconds(100)) == std::cv_status::timeout) {
            std::lock_guard<std::mutex> hold(_mLock);
            if ((_eState != Running && _eState != Ending) || _uGeneration != generation)
                return false;
        }
    }
    return true;
}

void UiThread::ServeClipboard()
{
    if (_bServingClipboard)
        return;
    std::lock_guard<std::mutex> hold(_mLock);
    if (_bStopRequested || _bFinal)
        return;
    ++_iUsers;
    _bServingClipboard = true;
}

// Another program owns the clipboard now: nothing left to answer for.
void UiThread::CheckClipboard()
{
    if (!_bServingClipboard || g_displayLost)
        return;
    if (XGetSelectionOwner(fl_display, XInternAtom(fl_display, "CLIPBOARD", False)) == fl_message_window)
        return;
    _bServingClipboard = false;
    RemoveUser();
}

// A process that still owns a selection but no longer reads its connection
// would leave every other program's paste waiting.
void UiThread::GiveUpSelections()
{
    for (Atom selection : {XInternAtom(fl_display, "CLIPBOARD", False), static_cast<Atom>(XA_PRIMARY)})
        if (XGetSelectionOwner(fl_display, selection) == fl_message_window)
            XSetSelectionOwner(fl_display, selection, None, CurrentTime);
}

void UiThread::Bury(std::function<void()> deleter) { _vGraves.push_back(std::move(deleter)); }

void UiThread::Wake(void* self) { static_cast<UiThread*>(self)->RunTasks(); }

// Every so often, in the thread's own loop and in any dialog's or menu's
// loop alike: tasks whose wake-up got lost (FLTK's ring of them was full)
// still run.
void UiThread::Poll(void* self)
{
    static_cast<UiThread*>(self)->RunTasks();
    static_cast<UiThread*>(self)->CheckClipboard();
    Fl::repeat_timeout(0.25, &UiThread::Poll, self);
}

// The tasks behind this one are woken for before it runs: should it run a
// dialog's loop, they run inside that loop rather than wait for it to end.
void UiThread::RunTasks()
{
    for (;;) {
        std::function<void()> task;
        bool more = false;
        {
            std::lock_guard<std::mutex> hold(_mLock);
            if (_dTasks.empty()) {
                _bWakePending = false;
                return;
            }
            task = std::move(_dTasks.front());
            _dTasks.pop_front();
            more = !_dTasks.empty();
            _bWakePending = more;
        }
        if (more)
            Fl::awake(&UiThread::Wake, this);
        task();
    }
}

void UiThread::Loop()
{
    Fl::lock();  // makes Fl::awake work; held by this thread except while it waits
    Fl::error = &Quietly;
    Fl::warning = &Quietly;
    if (!fl_display) {
        fl_open_display(_pDisplay);
        g_ourDisplay = _pDisplay;
        g_previousErrorHandler = XSetErrorHandler(&OnXError);
        g_previousIOErrorHandler = XSetIOErrorHandler(&OnXIOError);
    }
    // FLTK's own chooser: the GTK one would bring a second toolkit into the
    // host and run a loop that the thread's stop request cannot end.
    Fl::option(Fl::OPTION_FNFC_USES_GTK, false);
    Fl::add_timeout(0.25, &UiThread::Poll, this);
    {
        std::lock_guard<std::mutex> hold(_mLock);
        _bReady = true;
    }
    _cChanged.notify_all();
    for (;;) {
        Fl::wait(0.25);
        RunTasks();
        while (!_vGraves.empty()) {
            std::vector<std::function<void()>> graves;
            graves.swap(_vGraves);
            for (auto& deleter : graves)
                deleter();
        }
        // Tasks still queued are dropped with the thread: a thread that
        // keeps logging must not keep it from ending. Whoever waits for one
        // of them is told it failed.
        std::lock_guard<std::mutex> hold(_mLock);
        if (_bStopRequested || g_displayLost) {
            _eState = Ending;
            break;
        }
    }
    // Without a connection, no more calls to the X server: the widgets are
    // left as they are.
    Fl::remove_timeout(&CloseWindowsWhileStopping, this);
    Fl::remove_timeout(&UiThread::Poll, this);
    if (!g_displayLost) {
        while (Fl_Window* window = Fl::first_window())
            window->hide();
        GiveUpSelections();
        Fl::flush();
        XSync(fl_display, False);
    }
    Fl::unlock();
    std::lock_guard<std::mutex> hold(_mLock);
    if (_bServingClipboard) {
        _bServingClipboard = false;
        --_iUsers;
    }
    _eState = _bFinal ? Final : Idle;
    _dTasks.clear();
    ++_uGeneration;  // whoever waits for one of those tasks is told it failed
    _cChanged.notify_all();
}

}  // namespace ui
}  // namespace Vexir
