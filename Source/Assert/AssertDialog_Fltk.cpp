#include "Assert/AssertDialog_Fltk.h"

// Ours first: X11's headers define Above and Below as macros.
#include "Assert/AssertDialogIds.h"
#include "Foundation/UiTestAccess.h"
#include "Foundation/UiThread_Fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Output.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace Vexir {
namespace ui {

namespace {

// The answers, as the library's AssertResponse has them.
const int kIgnore = 0, kIgnoreAlways = 1, kBreak = 2, kNotShown = -1;

using namespace assertdialog;

const char kCaption[] = "Vexir Assertion Failed";
const char kIntroduction[] =
    "Assertion failed in the below location. You can copy the text information or generate a minidump file to "
    "send to the developer for inspection.";
const int kFontSize = 11;

// The templates are laid out in dialog units, which Windows derives from the
// dialog font: a quarter of its average letter's width, an eighth of its
// height. Measured the same way on the font used here, on the UI thread.
struct DialogUnits {
    double x = 1.5, y = 1.625;
};

const DialogUnits& Units()
{
    static const DialogUnits units = [] {
        DialogUnits measured;
        fl_font(FL_HELVETICA, kFontSize);
        const double letters = fl_width("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        if (letters > 0 && fl_height() > 0) {
            measured.x = (letters / 52.0) / 4.0;
            measured.y = fl_height() / 8.0;
        }
        return measured;
    }();
    return units;
}

int X(int units) { return static_cast<int>(units * Units().x + 0.5); }
int Y(int units) { return static_cast<int>(units * Units().y + 0.5); }

// "/tmp/a b" becomes "file:///tmp/a%20b".
std::string FileUri(const std::string& path)
{
    std::string uri = "file://";
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            uri += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        }
    }
    return uri;
}

// Asks the window manager to keep the window above others, as the Windows
// templates' topmost style does.
void KeepOnTop(Fl_Window* window)
{
    Atom state = XInternAtom(fl_display, "_NET_WM_STATE", False);
    Atom above = XInternAtom(fl_display, "_NET_WM_STATE_ABOVE", False);
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = fl_xid(window);
    event.xclient.message_type = state;
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1;  // add
    event.xclient.data.l[1] = static_cast<long>(above);
    XSendEvent(fl_display, RootWindow(fl_display, fl_screen), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

class AssertDialogWindow;
std::vector<AssertDialogWindow*> g_open;  // the UI thread's; newest last

class AssertDialogWindow : public Fl_Double_Window {
public:
    using Answer = std::function<void(int)>;

    AssertDialogWindow(const AssertDialogContent& content, AssertDialogHost* host, Answer answer)
        : Fl_Double_Window(0, 0, content.advanced ? X(325) : X(183), content.advanced ? Y(298) : Y(122)),
          _content(content),
          _pHost(host),
          _answer(std::move(answer))
    {
        copy_label(content.advanced ? "" : kCaption);
        content.advanced ? BuildAdvanced() : BuildBasic();
        end();
        set_modal();
        callback(&AssertDialogWindow::OnClose);
        // Centred on the screen, as the templates ask.
        position((Fl::w() - w()) / 2, (Fl::h() - h()) / 2);
        g_open.push_back(this);
    }

    ~AssertDialogWindow()
    {
        clear();  // the text views first: they let go of their buffers
        for (Fl_Text_Buffer* buffer : _vBuffers)
            delete buffer;
    }

    void Open()
    {
        show();
        if (_content.owner)
            XSetTransientForHint(fl_display, fl_xid(this), _content.owner);
        KeepOnTop(this);
    }

    // The user's answer, given once; the window goes at the top of the loop.
    void Give(int answer)
    {
        if (!_answer)
            return;
        Answer answered = std::move(_answer);
        _answer = nullptr;
        hide();
        for (auto at = g_open.begin(); at != g_open.end(); ++at)
            if (*at == this) {
                g_open.erase(at);
                break;
            }
        UiThread::Instance().Bury([this] { delete this; });
        answered(answer);
    }

    void Command(int id)
    {
        switch (id) {
        case kIgnoreButton:
            Give(kIgnore);
            break;
        case kIgnoreAlwaysButton:
            Give(kIgnoreAlways);
            break;
        case kDebugButton:
            Give(kBreak);
            break;
        case kCopyText:
            Fl::copy(_content.copyText.data(), static_cast<int>(_content.copyText.size()), 1);
            UiThread::Instance().ServeClipboard();
            break;
        case kCreateMinidump:
            CreateMinidump();
            break;
        case kCopyMinidump:
            if (!_sDumpPath.empty()) {
                const std::string uri = FileUri(_sDumpPath);
                Fl::copy(uri.data(), static_cast<int>(uri.size()), 1);
                UiThread::Instance().ServeClipboard();
            }
            break;
        default:
            break;
        }
    }

    void Snapshot(AssertDialogSnapshot& snapshot)
    {
        snapshot.open = shown();
        snapshot.modal = modal();
        snapshot.title = label() ? label() : "";
        snapshot.x = x();
        snapshot.y = y();
        snapshot.width = w();
        snapshot.height = h();
        for (const auto& control : _mControls) {
            AssertDialogSnapshot::Control& seen = snapshot.controls[control.first];
            seen.active = control.second->active() != 0;
            if (auto* display = dynamic_cast<Fl_Text_Display*>(control.second)) {
                char* text = display->buffer()->text();
                seen.text = text;
                std::free(text);
            } else if (auto* output = dynamic_cast<Fl_Output*>(control.second)) {
                seen.text = output->value();
            } else {
                seen.text = control.second->label() ? control.second->label() : "";
            }
            if (auto* check = dynamic_cast<Fl_Check_Button*>(control.second))
                seen.checked = check->value() != 0;
        }
        snapshot.labels = _vLabels;
    }

    Fl_Widget* Control(int id) const
    {
        auto found = _mControls.find(id);
        return found == _mControls.end() ? nullptr : found->second;
    }

private:
    void BuildBasic()
    {
        Button(kIgnoreButton, "Ignore", 7, 101, 50, 14, true);
        Button(kDebugButton, "Debug", 126, 101, 50, 14);
        Button(kCopyText, "Copy Text", 126, 81, 50, 14);
        MultiLine(kBasicText, 7, 7, 169, 74, _content.text, false);
        Button(kIgnoreAlwaysButton, "Ignore Always", 63, 101, 56, 14);
    }

    void BuildAdvanced()
    {
        Label(kIntroduction, 7, 7, 311, 21, FL_ALIGN_CENTER);
        Label("Description:", 7, 35, 39, 8);
        MultiLine(kDescriptionField, 48, 35, 270, 24, _content.message, true);
        Label("File:", 7, 67, 14, 8);
        SingleLine(kFileField, 48, 64, 270, 14, _content.file);
        Label("Line", 7, 83, 14, 8);
        SingleLine(kLineField, 48, 80, 270, 14, _content.line);
        Label("Expression:", 7, 99, 38, 8);
        SingleLine(kExpressionField, 48, 96, 270, 14, _content.expression);
        Label("Call Stack:", 7, 119, 34, 8);
        MultiLine(kCallStackField, 48, 119, 270, 86, _content.callStack, false);
        GroupBox("Minidump File", 7, 217, 311, 49);
        Label("File:", 17, 233, 14, 8);
        SingleLine(kMinidumpField, 48, 230, 258, 14, "");
        Button(kCreateMinidump, "Create Minidump File", 100, 247, 81, 14);
        Button(kCopyMinidump, "Copy Minidump File", 231, 247, 75, 14)->deactivate();
        Button(kIgnoreButton, "Ignore", 7, 277, 56, 14, true);
        Button(kIgnoreAlwaysButton, "Ignore Always", 71, 277, 56, 14);
        Button(kDebugButton, "Debug", 135, 277, 56, 14);
        Button(kCopyText, "Copy Text", 256, 277, 50, 14);
        auto* fullDump = new Fl_Check_Button(X(48), Y(249), X(47), Y(10), "Full Dump");
        fullDump->labelsize(kFontSize);
        Keep(kFullDump, fullDump);
    }

    Fl_Button* Button(int id, const char* caption, int left, int top, int width, int height, bool isDefault = false)
    {
        Fl_Button* button = isDefault ? new Fl_Return_Button(X(left), Y(top), X(width), Y(height), caption)
                                      : new Fl_Button(X(left), Y(top), X(width), Y(height), caption);
        button->labelsize(kFontSize);
        button->callback(&AssertDialogWindow::OnButton, reinterpret_cast<void*>(static_cast<long>(id)));
        Keep(id, button);
        return button;
    }

    void MultiLine(int id, int left, int top, int width, int height, const std::string& text, bool wrap)
    {
        auto* buffer = new Fl_Text_Buffer();
        _vBuffers.push_back(buffer);
        buffer->text(text.c_str());
        auto* display = new Fl_Text_Display(X(left), Y(top), X(width), Y(height));
        display->buffer(buffer);
        display->textsize(kFontSize);
        if (wrap)
            display->wrap_mode(Fl_Text_Display::WRAP_AT_BOUNDS, 0);
        Keep(id, display);
    }

    void SingleLine(int id, int left, int top, int width, int height, const std::string& text)
    {
        auto* output = new Fl_Output(X(left), Y(top), X(width), Y(height));
        output->textsize(kFontSize);
        output->value(text.c_str());
        Keep(id, output);
    }

    void Label(const char* text, int left, int top, int width, int height, Fl_Align align = FL_ALIGN_LEFT)
    {
        auto* box = new Fl_Box(X(left), Y(top), X(width), Y(height), text);
        box->labelsize(kFontSize);
        box->align(align | FL_ALIGN_INSIDE | FL_ALIGN_TOP | (align == FL_ALIGN_CENTER ? FL_ALIGN_WRAP : 0));
        _vLabels.push_back(text);
    }

    void GroupBox(const char* text, int left, int top, int width, int height)
    {
        auto* frame = new Fl_Box(FL_ENGRAVED_FRAME, X(left), Y(top) + kFontSize / 2, X(width),
                                 Y(height) - kFontSize / 2, nullptr);
        (void)frame;
        auto* caption = new Fl_Box(X(left) + 6, Y(top), 0, kFontSize, text);
        caption->box(FL_FLAT_BOX);
        caption->labelsize(kFontSize);
        fl_font(caption->labelfont(), kFontSize);
        caption->size(static_cast<int>(fl_width(text)) + 6, kFontSize);
        _vLabels.push_back(text);
    }

    void Keep(int id, Fl_Widget* widget) { _mControls[id] = widget; }

    void CreateMinidump()
    {
        std::string text;
        cursor(FL_CURSOR_WAIT);
        Fl::flush();
        const bool full = static_cast<Fl_Check_Button*>(Control(kFullDump))->value() != 0;
        const bool created = _pHost->CreateMinidump(full, text);
        cursor(FL_CURSOR_DEFAULT);
        static_cast<Fl_Output*>(Control(kMinidumpField))->value(text.c_str());
        _sDumpPath = created ? text : std::string();
        created ? Control(kCopyMinidump)->activate() : Control(kCopyMinidump)->deactivate();
    }

    static void OnButton(Fl_Widget* button, void* id)
    {
        static_cast<AssertDialogWindow*>(button->window())->Command(static_cast<int>(reinterpret_cast<long>(id)));
    }

    // The close box or the window manager's close answers Ignore Always;
    // Escape, which FLTK reports the same way, does nothing. A close made by
    // the thread's stop is no answer at all.
    static void OnClose(Fl_Widget* widget, void*)
    {
        if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape && !UiThread::Instance().Stopping())
            return;
        static_cast<AssertDialogWindow*>(widget)->Give(UiThread::Instance().Stopping() ? kNotShown : kIgnoreAlways);
    }

    const AssertDialogContent _content;
    AssertDialogHost* _pHost;
    Answer _answer;
    std::string _sDumpPath;  // the last dump written, while it is the last attempt
    std::map<int, Fl_Widget*> _mControls;
    std::vector<std::string> _vLabels;
    std::vector<Fl_Text_Buffer*> _vBuffers;
};

AssertDialogWindow* Newest() { return g_open.empty() ? nullptr : g_open.back(); }

struct AnswerSlot {
    std::mutex lock;
    std::condition_variable given;
    int value = kNotShown;
    bool done = false;
};

}  // namespace

int ShowAssertDialog(const AssertDialogContent& content, AssertDialogHost* host)
{
    UiThread& thread = UiThread::Instance();
    auto slot = std::make_shared<AnswerSlot>();
    auto give = [slot](int answer) {
        std::lock_guard<std::mutex> hold(slot->lock);
        slot->value = answer;
        slot->done = true;
        slot->given.notify_all();
    };
    if (thread.OnUiThread()) {
        // Asserted on the UI thread itself, which runs already: the dialog
        // gets a loop of its own, which a stop or a lost display ends too.
        (new AssertDialogWindow(content, host, give))->Open();
        while (!slot->done && !thread.Stopping())
            Fl::wait(0.25);
        return slot->done ? slot->value : kNotShown;
    }
    if (!thread.AddUser())
        return kNotShown;
    int answer = kNotShown;
    {
        unsigned long run = 0;
        bool shown = false;
        thread.Run([&] {
            run = thread.Generation();
            (new AssertDialogWindow(content, host, give))->Open();
            shown = true;
        });
        std::unique_lock<std::mutex> hold(slot->lock);
        while (shown && !slot->done) {
            // A lost display ends the thread without closing its windows.
            if (!slot->given.wait_for(hold, std::chrono::milliseconds(250), [&] { return slot->done; }) &&
                thread.Generation() != run)
                break;
        }
        answer = slot->done ? slot->value : kNotShown;
    }
    thread.RemoveUser();
    return answer;
}

bool SnapshotOfAssertDialog(AssertDialogSnapshot& snapshot)
{
    AssertDialogWindow* dialog = Newest();
    if (dialog)
        dialog->Snapshot(snapshot);
    return dialog != nullptr;
}

bool PressInAssertDialog(int control)
{
    AssertDialogWindow* dialog = Newest();
    Fl_Widget* widget = dialog ? dialog->Control(control) : nullptr;
    if (!widget || !widget->active())
        return false;
    if (auto* check = dynamic_cast<Fl_Check_Button*>(widget))
        check->value(!check->value());
    else
        widget->do_callback();
    return true;
}

// As the X server would deliver the key: to the dialog, through FLTK's own
// handling of keys and shortcuts.
bool KeyInAssertDialog(int key)
{
    AssertDialogWindow* dialog = Newest();
    if (!dialog)
        return false;
    Fl::e_keysym = key;
    Fl::e_state = 0;
    Fl::e_text = const_cast<char*>(key == FL_Enter ? "\r" : key == FL_Escape ? "\033" : "");
    Fl::e_length = static_cast<int>(std::strlen(Fl::e_text));
    Fl::handle(FL_KEYBOARD, dialog);
    return true;
}

bool CloseRequestToAssertDialog()
{
    AssertDialogWindow* dialog = Newest();
    if (!dialog)
        return false;
    Fl::handle(FL_CLOSE, dialog);
    return true;
}

}  // namespace ui
}  // namespace Vexir
