// The UI module's entry points: what the library asks for, and what the tests
// may ask besides.
// Ours first: X11's headers define Above and Below as macros.
#include "Assert/AssertDialog_Fltk.h"
#include "Console/ConsoleWindow_Fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_File_Input.H>
#include <FL/fl_ask.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <cstring>
#include <string>

#include "Foundation/UiModule.h"
#include "Foundation/UiTestAccess.h"
#include "Foundation/UiThread_Fltk.h"

namespace Vexir {
namespace ui {

bool FileDialog(bool save, unsigned long owner, std::string& fileName, const char* filter, const char* defaultExtension,
                const char* initialDirectory);

namespace {

bool Available(std::string& whyNot)
{
    whyNot = UiThread::Instance().Unavailable();
    return whyNot.empty();
}

ConsoleWindow* CreateConsoleWindow(ConsoleWindowHost* host) { return FltkConsoleWindow::Create(host); }

const Module g_module = {kModuleVersion, &Available, &CreateConsoleWindow, &FileDialog, &ShowAssertDialog};

// The thread ends before FLTK, which this module depends on, is unloaded or
// finalised at exit.
struct EndsTheThreadAtUnload {
    ~EndsTheThreadAtUnload() { UiThread::Instance().Shutdown(); }
} g_endsTheThread;

template <typename Result, typename Task>
Result OnUiThread(Task task)
{
    Result result{};
    UiThread::Instance().Run([&] { result = task(); });
    return result;
}

FltkConsoleWindow* Fltk(ConsoleWindow* window) { return static_cast<FltkConsoleWindow*>(window); }

template <typename Task>
bool OnUi(ConsoleWindow* window, Task task)
{
    return window && UiThread::Instance().Run([&] { task(*Fltk(window)); });
}

template <typename Widget>
Widget* FindChild(Fl_Group* group)
{
    for (int i = 0; i < group->children(); ++i) {
        Fl_Widget* child = group->child(i);
        if (auto* found = dynamic_cast<Widget*>(child))
            return found;
        if (Fl_Group* inner = child->as_group())
            if (auto* found = FindChild<Widget>(inner))
                return found;
    }
    return nullptr;
}

Fl_Button* FindButton(Fl_Group* group, const char* label)
{
    for (int i = 0; i < group->children(); ++i) {
        Fl_Widget* child = group->child(i);
        auto* button = dynamic_cast<Fl_Button*>(child);
        if (button && button->label() && std::strcmp(button->label(), label) == 0)
            return button;
        if (Fl_Group* inner = child->as_group())
            if (Fl_Button* found = FindButton(inner, label))
                return found;
    }
    return nullptr;
}

Fl_Window* DialogOnScreen()
{
    Fl_Window* modal = Fl::modal();
    return modal && modal->shown() ? modal : nullptr;
}

const TestAccess g_testAccess = {
    &FltkConsoleWindow::Latest,
    [](ConsoleWindow* window, ConsoleWindowSnapshot& snapshot) {
        return OnUi(window, [&](FltkConsoleWindow& fltk) { fltk.Snapshot(snapshot); });
    },
    [](ConsoleWindow* window, unsigned command) {
        return OnUi(window, [&](FltkConsoleWindow& fltk) { fltk.Command(command); });
    },
    [](ConsoleWindow* window, int start, int end) {
        return OnUi(window, [&](FltkConsoleWindow& fltk) { fltk.Select(start, end); });
    },
    [](ConsoleWindow* window, int line) { return OnUi(window, [&](FltkConsoleWindow& fltk) { fltk.ScrollTo(line); }); },
    &LookOfStyle,
    [](ConsoleWindow* window) {
        unsigned long id = 0;
        OnUi(window, [&](FltkConsoleWindow& fltk) { id = fltk.XWindow(); });
        return id;
    },
    [](ConsoleWindow* window) {
        if (!window)
            return false;
        std::weak_ptr<FltkConsoleWindow> weak = Fltk(window)->shared_from_this();
        return UiThread::Instance().Post([weak] {
            if (auto fltk = weak.lock())
                fltk->OpenMenu();
        });
    },
    [] {
        bool open = false;
        UiThread::Instance().Run([&] { open = Fl::grab() != nullptr; });
        return open;
    },
    [] {
        // Drained in batches, each queued behind what came meanwhile: asked
        // again until the window has nothing left.
        for (int round = 0; round < 10000; ++round) {
            bool pending = false;
            if (!UiThread::Instance().Run([&] {
                    Fl::flush();
                    XSync(fl_display, False);
                    if (ConsoleWindow* latest = FltkConsoleWindow::Latest())
                        pending = Fltk(latest)->Pending();
                }))
                return false;
            if (!pending)
                return true;
        }
        return false;
    },
    [] {
        std::string title;
        UiThread::Instance().Run([&] {
            if (Fl_Window* dialog = DialogOnScreen())
                title = dialog->label() ? dialog->label() : "";
        });
        return title;
    },
    [](const char* name) {
        bool answered = false;
        UiThread::Instance().Run([&] {
            Fl_Window* dialog = DialogOnScreen();
            if (!dialog)
                return;
            answered = true;
            if (!name) {
                Fl_Button* cancel = FindButton(dialog, fl_cancel);
                cancel ? cancel->do_callback() : dialog->hide();
                return;
            }
            Fl_File_Input* input = FindChild<Fl_File_Input>(dialog);
            Fl_Return_Button* ok = FindChild<Fl_Return_Button>(dialog);
            if (!input || !ok) {
                answered = false;
                return;
            }
            input->value(name);
            ok->do_callback();
        });
        return answered;
    },
    [](AssertDialogSnapshot& snapshot) {
        return OnUiThread<bool>([&] { return SnapshotOfAssertDialog(snapshot); });
    },
    [](int control) { return OnUiThread<bool>([&] { return PressInAssertDialog(control); }); },
    [](int key) { return OnUiThread<bool>([&] { return KeyInAssertDialog(key); }); },
    [] { return OnUiThread<bool>([] { return CloseRequestToAssertDialog(); }); },
    [](std::function<void()> task) { return UiThread::Instance().Post(std::move(task)); },
};

}  // namespace

}  // namespace ui
}  // namespace Vexir

extern "C" __attribute__((visibility("default"))) const Vexir::ui::Module* VexirUiModule()
{
    return &Vexir::ui::g_module;
}

extern "C" __attribute__((visibility("default"))) const Vexir::ui::TestAccess* VexirUiTestAccess()
{
    return &Vexir::ui::g_testAccess;
}
