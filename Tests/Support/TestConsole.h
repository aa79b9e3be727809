// A console that records every message it receives, for the tests of the
// console manager and of anything that logs. It can also expose a UI interface
// that records the window operations addressed to it.
#pragma once

#include <Vexir/Console.h>

#include <string>
#include <vector>

namespace VexirTest {

struct RecordedMessage {
    Vexir::IConsole::MessageKind kind;
    Vexir::IConsole::VerbosityLevel level;
    std::string text;
};

class RecordingUI : public Vexir::IUIConsoleInterface {
public:
    int GetInterfaceType() override { return UI; }
    bool Show(Vexir::NativeWindowHandle parent, unsigned placement) override
    {
        calls.push_back("Show " + std::to_string(placement));
        return answer;
    }
    bool SetPlacement(unsigned placement) override
    {
        calls.push_back("SetPlacement " + std::to_string(placement));
        return answer;
    }
    bool SetTitle(const std::string& title) override
    {
        calls.push_back("SetTitle " + title);
        return answer;
    }
    bool Close() override
    {
        calls.push_back("Close");
        return answer;
    }

    std::vector<std::string> calls;
    bool answer = true;
};

class TestConsole : public Vexir::IConsole {
public:
    explicit TestConsole(bool withUI = false, bool* deletedFlag = nullptr)
        : _bWithUI(withUI), _pDeletedFlag(deletedFlag)
    {
    }
    ~TestConsole() override
    {
        if (_pDeletedFlag)
            *_pDeletedFlag = true;
    }

    Vexir::InterfaceBase* GetInterface(int type) override
    {
        return _bWithUI && type == Vexir::InterfaceBase::UI ? &ui : nullptr;
    }
    void Output(MessageKind kind, VerbosityLevel level, const char* text) override
    {
        messages.push_back({kind, level, text});
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const RecordedMessage& message : messages)
            texts.push_back(message.text);
        return texts;
    }

    std::vector<RecordedMessage> messages;
    RecordingUI ui;

private:
    bool _bWithUI;
    bool* _pDeletedFlag;
};

}  // namespace VexirTest
