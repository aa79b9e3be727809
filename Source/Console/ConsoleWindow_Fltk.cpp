#include "Console/ConsoleWindow_Fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>
#include <FL/fl_utf8.h>
#include <FL/x.H>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Console/WindowConsoleLook.h"
#include "Foundation/UiTestAccess.h"
#include "Foundation/UiThread_Fltk.h"

namespace Vexir {
namespace ui {

using namespace windowconsole;

namespace {

const int kMenuHeight = 25;
const int kFontSize = 14;
const unsigned char kBackground[3] = {200, 200, 200};

// Where the last console window was when it closed; a reopened one goes
// there. The UI thread's only.
struct SavedPlacement {
    bool saved = false;
    int x = 0, y = 0, width = 0, height = 0;
} g_saved;

// One style letter per level: 'A' Error to 'E' Debug, 'F' anything else.
char StyleOfLevel(int level) { return level >= 1 && level <= 5 ? static_cast<char>('A' + level - 1) : 'F'; }

Fl_Text_Display::Style_Table_Entry g_styles[6];

void MakeStyles()
{
    for (int i = 0; i < 6; ++i) {
        const LevelLook look = LookOfLevel(i < 5 ? i + 1 : 0);
        g_styles[i].color = fl_rgb_color(look.red, look.green, look.blue);
        g_styles[i].font = look.bold ? FL_COURIER_BOLD : FL_COURIER;
        g_styles[i].size = kFontSize;
        g_styles[i].attr = 0;
    }
}

// Cut to the units a Windows title holds: a character outside the basic
// plane counts twice.
std::string CutTitle(const std::string& title)
{
    int units = 0;
    const char* at = title.c_str();
    const char* end = at + title.size();
    while (at < end) {
        int length = 0;
        const unsigned code = fl_utf8decode(at, end, &length);
        const int needed = code > 0xFFFF ? 2 : 1;
        if (units + needed > kTitleUnits)
            break;
        units += needed;
        at += length > 0 ? length : 1;
    }
    return std::string(title.c_str(), at);
}

}  // namespace

class ConsoleTextView : public Fl_Text_Display {
public:
    ConsoleTextView(int x, int y, int w, int h) : Fl_Text_Display(x, y, w, h) {}
    int TopLine() const { return mTopLineNum; }
    int HorizontalOffset() const { return mHorizOffset; }
};

// Marks the threshold in the Verbosity menu whenever a menu is about to open,
// as the window's menu initialisation does on Windows.
class ConsoleMenuBar : public Fl_Menu_Bar {
public:
    ConsoleMenuBar(FltkConsoleWindow* owner, int x, int y, int w, int h) : Fl_Menu_Bar(x, y, w, h), _pOwner(owner) {}
    int handle(int event) override
    {
        if (event == FL_PUSH || event == FL_SHORTCUT || event == FL_KEYBOARD)
            _pOwner->RefreshVerbosityMarks();
        return Fl_Menu_Bar::handle(event);
    }
    FltkConsoleWindow* Owner() const { return _pOwner; }

private:
    FltkConsoleWindow* _pOwner;
};

namespace {

void OnMenu(Fl_Widget* widget, void* command)
{
    static_cast<ConsoleMenuBar*>(widget)->Owner()->Command(
        static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(command)));
}

void* CommandData(unsigned command) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(command)); }

}  // namespace

namespace {

// Never destroyed: the library releases its window in its own teardown,
// after this module's statics are gone.
struct LatestWindow {
    std::mutex lock;
    std::weak_ptr<FltkConsoleWindow> window;
};
LatestWindow& LatestMade()
{
    static LatestWindow* const latest = new LatestWindow;
    return *latest;
}

}  // namespace

ConsoleWindow* FltkConsoleWindow::Create(ConsoleWindowHost* host)
{
    auto window = std::make_shared<FltkConsoleWindow>(host);
    window->_pSelf = window;
    std::lock_guard<std::mutex> hold(LatestMade().lock);
    LatestMade().window = window;
    return window.get();
}

ConsoleWindow* FltkConsoleWindow::Latest()
{
    std::lock_guard<std::mutex> hold(LatestMade().lock);
    return LatestMade().window.lock().get();
}

FltkConsoleWindow::FltkConsoleWindow(ConsoleWindowHost* host) : _pHost(host), _sTitle(kDefaultTitle) {}

// Widgets are deleted on the UI thread before this runs (see Bury); when the
// thread has already ended for good, they are left as they are.
FltkConsoleWindow::~FltkConsoleWindow() = default;

bool FltkConsoleWindow::Show(unsigned long parent, unsigned placement)
{
    {
        std::lock_guard<std::mutex> hold(_mLock);
        _uParent = parent;
        _uPlacement = placement;
    }
    // Open already: nothing to wait for (a host may show the console at
    // every warning, holding its console lock).
    if (_bOpen)
        return true;
    UiThread& thread = UiThread::Instance();
    {
        std::lock_guard<std::mutex> hold(_mLock);
        if (!_bUser) {
            if (!thread.AddUser())
                return false;
            _bUser = true;
        }
    }
    bool opened = false;
    auto self = shared_from_this();
    return thread.Run([&] { opened = self->Open(); }) && opened;
}

bool FltkConsoleWindow::SetPlacement(unsigned placement)
{
    bool placed = false;
    auto self = shared_from_this();
    UiThread::Instance().Run([&] {
        if (!_pWindow || !_bOpen)
            return;
        {
            std::lock_guard<std::mutex> hold(_mLock);
            _uPlacement = _uParent ? placement : Centred;
        }
        Place(_uPlacement);
        placed = true;
    });
    return placed;
}

bool FltkConsoleWindow::SetTitle(const std::string& title)
{
    {
        std::lock_guard<std::mutex> hold(_mLock);
        _sTitle = title;
    }
    if (!_bOpen)
        return false;
    bool set = false;
    auto self = shared_from_this();
    UiThread::Instance().Run([&] {
        if (_pWindow && _bOpen) {
            _pWindow->copy_label(CutTitle(title).c_str());
            set = true;
        }
    });
    return set;
}

void FltkConsoleWindow::Close()
{
    auto self = shared_from_this();
    UiThread::Instance().Run([self] { self->CloseOnUiThread(); });
}

void FltkConsoleWindow::Post(int kind, int level, std::string text)
{
    if (_bEverOpened && !_bOpen)
        return;  // closed: dropped, as the window would drop it
    if (!_qMessages.Push(QueuedMessage{std::move(text), static_cast<IConsole::MessageKind>(kind),
                                       static_cast<IConsole::VerbosityLevel>(level)}))
        return;
    std::weak_ptr<FltkConsoleWindow> weak = shared_from_this();
    if (!UiThread::Instance().Post([weak] {
            if (auto self = weak.lock())
                self->Drain();
        }))
        _qMessages.WakeFailed();
}

void FltkConsoleWindow::Release()
{
    {
        std::lock_guard<std::mutex> hold(_mHostLock);
        _pHost = nullptr;
    }
    _qMessages.Clear();
    {
        std::lock_guard<std::mutex> hold(LatestMade().lock);
        if (LatestMade().window.lock().get() == this)
            LatestMade().window.reset();
    }
    UiThread& thread = UiThread::Instance();
    auto self = std::move(_pSelf);
    bool user = false;
    {
        std::lock_guard<std::mutex> hold(_mLock);
        std::swap(user, _bUser);
    }
    // The last reference goes on the UI thread, which deletes the widgets
    // first. If the thread is gone (or never ran), no widget was made or the
    // module is being unloaded: the widgets are then left alone.
    if (!user || !thread.Post([self] { self->Bury(); }))
        _pWindow = nullptr;
    if (user)
        thread.RemoveUser();
}

void FltkConsoleWindow::Bury()
{
    if (_pWindow)
        _pWindow->hide();
    _bOpen = false;
    auto self = shared_from_this();
    UiThread::Instance().Bury([self] {
        delete self->_pWindow;  // with the menu bar and the view
        delete self->_pText;
        delete self->_pStyles;
        self->_pWindow = nullptr;
        self->_pText = self->_pStyles = nullptr;
    });
}

int FltkConsoleWindow::HostThreshold()
{
    std::lock_guard<std::mutex> hold(_mHostLock);
    return _pHost ? _pHost->Threshold() : 0;
}

void FltkConsoleWindow::Build()
{
    if (!g_styles[0].size)
        MakeStyles();
    _pText = new Fl_Text_Buffer;
    _pStyles = new Fl_Text_Buffer;
    _pWindow = new Fl_Double_Window(kWidth, kHeight);
    // The close box closes it; Escape, which FLTK also sends here, does not,
    // as it does not close the Windows console.
    _pWindow->callback(
        [](Fl_Widget*, void* self) {
            if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape)
                return;
            static_cast<FltkConsoleWindow*>(self)->CloseOnUiThread();
        },
        this);
    _pMenu = new ConsoleMenuBar(this, 0, 0, kWidth, kMenuHeight);
    const Fl_Menu_Item items[] = {
        {"&File", 0, nullptr, nullptr, FL_SUBMENU, 0, 0, 0, 0},
        {"Save As...", 0, &OnMenu, CommandData(SaveAs), FL_MENU_DIVIDER, 0, 0, 0, 0},
        {"&Verbosity", 0, nullptr, nullptr, FL_SUBMENU | FL_MENU_DIVIDER, 0, 0, 0, 0},
        {kVerbosityLabels[0], 0, &OnMenu, CommandData(VerbositySilent + 0), FL_MENU_RADIO, 0, 0, 0, 0},
        {kVerbosityLabels[1], 0, &OnMenu, CommandData(VerbositySilent + 1), FL_MENU_RADIO, 0, 0, 0, 0},
        {kVerbosityLabels[2], 0, &OnMenu, CommandData(VerbositySilent + 2), FL_MENU_RADIO, 0, 0, 0, 0},
        {kVerbosityLabels[3], 0, &OnMenu, CommandData(VerbositySilent + 3), FL_MENU_RADIO, 0, 0, 0, 0},
        {kVerbosityLabels[4], 0, &OnMenu, CommandData(VerbositySilent + 4), FL_MENU_RADIO, 0, 0, 0, 0},
        {kVerbosityLabels[5], 0, &OnMenu, CommandData(VerbositySilent + 5), FL_MENU_RADIO, 0, 0, 0, 0},
        {nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
        {"&Close Console", 0, &OnMenu, CommandData(CloseConsole), 0, 0, 0, 0, 0},
        {nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
        {"&Edit", 0, nullptr, nullptr, FL_SUBMENU, 0, 0, 0, 0},
        {"C&lear", 0, &OnMenu, CommandData(Clear), FL_MENU_DIVIDER, 0, 0, 0, 0},
        {"&Copy", 0, &OnMenu, CommandData(Copy), FL_MENU_DIVIDER, 0, 0, 0, 0},
        {"Select &All", 0, &OnMenu, CommandData(SelectAll), 0, 0, 0, 0, 0},
        {nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
        {nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
    };
    _pMenu->copy(items);
    _pView = new ConsoleTextView(0, kMenuHeight, kWidth, kHeight - kMenuHeight);
    _pView->buffer(_pText);
    _pView->highlight_data(_pStyles, g_styles, 6, 'F', nullptr, nullptr);
    _pView->textfont(FL_COURIER);
    _pView->textsize(kFontSize);
    _pView->color(fl_rgb_color(kBackground[0], kBackground[1], kBackground[2]));
    _pWindow->resizable(_pView);
    _pWindow->end();
}

namespace {

// The parent's rectangle on the screen, or the screen's when there is no
// parent or it has gone.
void ParentRectangle(unsigned long parent, long& left, long& top, long& right, long& bottom)
{
    XWindowAttributes attributes;
    ::Window child = 0;
    int x = 0, y = 0;
    if (parent && XGetWindowAttributes(fl_display, parent, &attributes) &&
        XTranslateCoordinates(fl_display, parent, attributes.root, 0, 0, &x, &y, &child)) {
        left = x;
        top = y;
        right = x + attributes.width;
        bottom = y + attributes.height;
        return;
    }
    int sx = 0, sy = 0, sw = 0, sh = 0;
    Fl::screen_xywh(sx, sy, sw, sh, 0);
    left = sx;
    top = sy;
    right = sx + sw;
    bottom = sy + sh;
}

}  // namespace

void FltkConsoleWindow::Place(unsigned code)
{
    unsigned long parent = 0;
    {
        std::lock_guard<std::mutex> hold(_mLock);
        parent = _uParent;
    }
    long left = 0, top = 0, right = 0, bottom = 0;
    ParentRectangle(parent, left, top, right, bottom);
    const Point at = PlacementPosition(left, top, right, bottom, code);
    _pWindow->position(static_cast<int>(at.x), static_cast<int>(at.y));
}

bool FltkConsoleWindow::Open()
{
    if (_bOpen)
        return true;
    if (!_pWindow)
        Build();
    std::string title;
    unsigned long parent = 0;
    {
        std::lock_guard<std::mutex> hold(_mLock);
        if (!_uParent)
            _uPlacement = Centred;
        title = _sTitle;
        parent = _uParent;
    }
    // A reopened window starts empty, as a new one does on Windows.
    _pText->text("");
    _pStyles->text("");
    _pWindow->copy_label(CutTitle(title).c_str());
    _pWindow->show();
    if (parent)
        XSetTransientForHint(fl_display, fl_xid(_pWindow), parent);  // stays above its parent
    // Placed once shown: FLTK would pull a new window back onto the screen,
    // where the Windows console goes wherever the table says.
    if (g_saved.saved)
        _pWindow->resize(g_saved.x, g_saved.y, g_saved.width, g_saved.height);
    else
        Place(_uPlacement);
    _bOpen = true;
    _bEverOpened = true;
    Drain();
    return true;
}

void FltkConsoleWindow::CloseOnUiThread()
{
    if (!_pWindow || !_bOpen)
        return;
    g_saved = {true, _pWindow->x(), _pWindow->y(), _pWindow->w(), _pWindow->h()};
    _pWindow->hide();
    _bOpen = false;
}

// A batch at a time, written in one go: a thread that logs without pause
// must neither keep the UI thread from its own loop nor cost a redraw per line.
void FltkConsoleWindow::Drain()
{
    _qMessages.BeginDrain();
    std::string text;
    std::string styles;
    QueuedMessage message;
    unsigned count = 0;
    while (count < kDrainBatch && _qMessages.Pop(message)) {
        ++count;
        if (!_bOpen)
            continue;  // closed: dropped
        const std::size_t before = text.size();
        text.append(static_cast<std::size_t>(_iDepth) * 4, ' ');
        text += message.text;
        if (message.kind == IConsole::BlockBegin || message.kind == IConsole::BlockEnd)
            text += '\n';
        if (message.kind == IConsole::BlockBegin)
            ++_iDepth;
        else if (message.kind == IConsole::BlockEnd && _iDepth > 0)
            --_iDepth;
        styles.append(text.size() - before, StyleOfLevel(message.level));
    }
    Append(text, styles);
    if (count == kDrainBatch) {
        std::weak_ptr<FltkConsoleWindow> weak = shared_from_this();
        UiThread::Instance().Post([weak] {
            if (auto self = weak.lock())
                self->Drain();
        });
    }
}

// The threshold was applied when each message was logged: this runs later,
// on another thread, and must not drop what was shown then.
void FltkConsoleWindow::Append(const std::string& text, const std::string& styles)
{
    if (text.empty() || !_bOpen || !_pText)
        return;
    const int length = _pText->length();
    int start = 0, end = 0;
    const bool selected = _pText->selection_position(&start, &end) != 0;
    // The view follows the new text when the caret is at the end, and keeps
    // the reader's place otherwise.
    const bool follow = selected ? start == length : _pView->insert_position() == length;
    int caret = _pView->insert_position();
    int topLine = _pView->TopLine();
    const int offset = _pView->HorizontalOffset();
    _pStyles->append(styles.c_str());
    _pText->append(text.c_str());
    // The oldest lines go once the window holds too much to be read.
    if (_pText->length() > kTextLimit) {
        const int keepFrom = _pText->length() - static_cast<int>(kTextKept);
        int cut = _pText->line_end(keepFrom) + 1;
        if (cut > _pText->length())
            cut = keepFrom;  // one endless line: cut inside it
        const int lines = _pText->count_lines(0, cut);
        _pText->remove(0, cut);
        _pStyles->remove(0, cut);
        caret = std::max(caret - cut, 0);
        topLine = std::max(topLine - lines, 1);
    }
    if (follow) {
        _pView->insert_position(_pText->length());
        _pView->show_insert_position();
    } else {
        _pView->insert_position(caret);
        _pView->scroll(topLine, offset);
    }
}

void FltkConsoleWindow::RefreshVerbosityMarks()
{
    if (!_pMenu)
        return;
    const int threshold = HostThreshold();
    for (int i = 0; i < _pMenu->size(); ++i) {
        Fl_Menu_Item& item = const_cast<Fl_Menu_Item&>(_pMenu->menu()[i]);
        const auto command = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(item.user_data()));
        if (item.label() && command >= VerbositySilent && command <= VerbosityDebug) {
            if (command == VerbositySilent + static_cast<unsigned>(threshold))
                item.set();
            else
                item.clear();
        }
    }
}

void FltkConsoleWindow::Command(unsigned command)
{
    if (!_pWindow)
        return;
    if (command == CloseConsole) {
        CloseOnUiThread();
    } else if (command == SaveAs) {
        // Not from inside the menu's handling: the dialog runs a loop of its
        // own, in which this window may be closed or released.
        std::weak_ptr<FltkConsoleWindow> weak = shared_from_this();
        auto* pending = new std::weak_ptr<FltkConsoleWindow>(weak);
        Fl::add_timeout(
            0.0,
            [](void* data) {
                std::unique_ptr<std::weak_ptr<FltkConsoleWindow>> owner(
                    static_cast<std::weak_ptr<FltkConsoleWindow>*>(data));
                if (auto self = owner->lock())
                    self->SaveTextAs();
            },
            pending);
    } else if (command >= VerbositySilent && command <= VerbosityDebug) {
        {
            std::lock_guard<std::mutex> hold(_mHostLock);
            if (_pHost)
                _pHost->SetThreshold(static_cast<int>(command - VerbositySilent));
        }
        RefreshVerbosityMarks();
    } else if (command == Copy) {
        if (char* selection = _pText->selection_text()) {
            Fl::copy(selection, static_cast<int>(std::strlen(selection)), 1);
            UiThread::Instance().ServeClipboard();
            std::free(selection);
        }
    } else if (command == Clear) {
        _pText->text("");
        _pStyles->text("");
    } else if (command == SelectAll) {
        _pView->take_focus();
        _pText->select(0, _pText->length());
    }
}

void FltkConsoleWindow::SaveTextAs()
{
    if (!_pWindow || !_bOpen)
        return;
    Fl_Native_File_Chooser chooser;
    chooser.type(Fl_Native_File_Chooser::BROWSE_SAVE_FILE);
    chooser.title(kSaveTitle);
    chooser.filter("Text File (.txt)\t*.txt\nAll Files (*.*)\t*.*");
    chooser.options(Fl_Native_File_Chooser::SAVEAS_CONFIRM);
    if (chooser.show() != 0 || !chooser.filename() || UiThread::Instance().Stopping() || !_pWindow)
        return;
    std::string name = chooser.filename();
    // The text filter's extension when none was typed.
    const std::size_t slash = name.rfind('/');
    if (chooser.filter_value() == 0 && name.find('.', slash == std::string::npos ? 0 : slash) == std::string::npos)
        name += ".txt";
    SaveText(name);
}

bool FltkConsoleWindow::SaveText(const std::string& path)
{
    if (!_pText)
        return false;
    std::FILE* file = fl_fopen(path.c_str(), "wb");
    if (!file)
        return false;
    char* text = _pText->text();
    const std::size_t length = std::strlen(text);
    const bool written = std::fwrite(text, 1, length, file) == length;
    std::free(text);
    return std::fclose(file) == 0 && written;
}

void FltkConsoleWindow::Select(int start, int end)
{
    if (!_pText)
        return;
    _pText->select(start, end);
    _pView->insert_position(end);
}

// The File menu's items, dropped below the bar as a click would; runs the
// menu's own loop until it closes.
void FltkConsoleWindow::OpenMenu()
{
    if (_pMenu && _pMenu->menu())
        (_pMenu->menu() + 1)->pulldown(_pMenu->x(), _pMenu->y() + _pMenu->h(), 0, 0, nullptr, _pMenu);
}

void FltkConsoleWindow::ScrollTo(int line)
{
    if (_pView)
        _pView->scroll(line, 0);
}

unsigned long FltkConsoleWindow::XWindow() const { return _pWindow && _bOpen ? fl_xid(_pWindow) : 0; }

void FltkConsoleWindow::Snapshot(ConsoleWindowSnapshot& snapshot)
{
    snapshot = ConsoleWindowSnapshot();
    snapshot.open = _bOpen && _pWindow && _pWindow->shown();
    if (!_pWindow)
        return;
    snapshot.x = _pWindow->x();
    snapshot.y = _pWindow->y();
    snapshot.width = _pWindow->w();
    snapshot.height = _pWindow->h();
    snapshot.title = _pWindow->label() ? _pWindow->label() : "";
    char* text = _pText->text();
    snapshot.text = text;
    std::free(text);
    char* styles = _pStyles->text();
    snapshot.styles = styles;
    std::free(styles);
    snapshot.topLine = _pView->TopLine();
    snapshot.caret = _pView->insert_position();
    if (!_pText->selection_position(&snapshot.selectionStart, &snapshot.selectionEnd))
        snapshot.selectionStart = snapshot.selectionEnd = snapshot.caret;
    RefreshVerbosityMarks();
    for (int i = 0; i < _pMenu->size(); ++i) {
        const Fl_Menu_Item& item = _pMenu->menu()[i];
        if (!item.label())
            continue;
        snapshot.menu.push_back(item.label());
        const auto command = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(item.user_data()));
        if (command >= VerbositySilent && command <= VerbosityDebug && item.value())
            snapshot.markedVerbosity = static_cast<int>(command - VerbositySilent);
        if (item.flags & FL_MENU_DIVIDER)
            snapshot.menu.push_back("-");
    }
    unsigned char red = 0, green = 0, blue = 0;
    Fl::get_color(_pView->color(), red, green, blue);
    snapshot.background = (unsigned(red) << 16) | (unsigned(green) << 8) | blue;
}

bool LookOfStyle(char style, StyleLook& look)
{
    if (style < 'A' || style > 'F')
        return false;
    if (!g_styles[0].size)
        MakeStyles();
    const Fl_Text_Display::Style_Table_Entry& entry = g_styles[style - 'A'];
    unsigned char red = 0, green = 0, blue = 0;
    Fl::get_color(entry.color, red, green, blue);
    look.colour = (unsigned(red) << 16) | (unsigned(green) << 8) | blue;
    look.bold = entry.font == FL_COURIER_BOLD;
    look.fixedPitch = entry.font == FL_COURIER || entry.font == FL_COURIER_BOLD;
    look.size = entry.size;
    return true;
}

}  // namespace ui
}  // namespace Vexir
