// An assert handler that records each report and answers from a script (Ignore
// once the script runs out). Installing one makes it the active handler for the
// lifetime of the object and restores the previous handler afterwards.
#pragma once

#include <Vexir/Assert.h>

#include <deque>
#include <string>
#include <vector>

namespace VexirTest {

struct AssertReport {
    std::string expression;
    int line;
    std::string file;
    std::string message;
    bool hasMessage;
};

class TestAssertHandler : public Vexir::IAssertHandler {
public:
    TestAssertHandler() : _pPrevious(Vexir::GetActiveAssertHandler()) { Vexir::SetActiveAssertHandler(this); }
    ~TestAssertHandler() override { Vexir::SetActiveAssertHandler(_pPrevious); }

    int HandleAssert(const char* expression, int line, const char* file, const char* message) override
    {
        reports.push_back({expression ? expression : "", line, file ? file : "", message ? message : "",
                           message != nullptr});
        if (answers.empty())
            return Vexir::Ignore;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<AssertReport> reports;
    std::deque<int> answers;

private:
    Vexir::IAssertHandler* _pPrevious;
};

}  // namespace VexirTest
