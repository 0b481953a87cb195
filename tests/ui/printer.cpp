#include "printer.h"

#include <stdio.h>

namespace {

using namespace ::testing;

class PlainFailurePrinter : public TestEventListener {
public:
    explicit PlainFailurePrinter(TestEventListener* inner) : inner_(inner) {}
    ~PlainFailurePrinter() override { delete inner_; }

    void OnTestProgramStart(const UnitTest& u) override { inner_->OnTestProgramStart(u); }
    void OnTestIterationStart(const UnitTest& u, int i) override { inner_->OnTestIterationStart(u, i); }
    void OnEnvironmentsSetUpStart(const UnitTest& u) override { inner_->OnEnvironmentsSetUpStart(u); }
    void OnEnvironmentsSetUpEnd(const UnitTest& u) override { inner_->OnEnvironmentsSetUpEnd(u); }
    void OnTestSuiteStart(const TestSuite& s) override { inner_->OnTestSuiteStart(s); }
    void OnTestStart(const TestInfo& t) override { inner_->OnTestStart(t); }
    void OnTestDisabled(const TestInfo& t) override { inner_->OnTestDisabled(t); }
    void OnTestEnd(const TestInfo& t) override { inner_->OnTestEnd(t); }
    void OnTestSuiteEnd(const TestSuite& s) override { inner_->OnTestSuiteEnd(s); }
    void OnEnvironmentsTearDownStart(const UnitTest& u) override { inner_->OnEnvironmentsTearDownStart(u); }
    void OnEnvironmentsTearDownEnd(const UnitTest& u) override { inner_->OnEnvironmentsTearDownEnd(u); }
    void OnTestIterationEnd(const UnitTest& u, int i) override { inner_->OnTestIterationEnd(u, i); }
    void OnTestProgramEnd(const UnitTest& u) override { inner_->OnTestProgramEnd(u); }

    void OnTestPartResult(const TestPartResult& r) override
    {
        if (r.type() == TestPartResult::kSuccess)
            return;
        printf("%s:%d: %s\n%s\n", r.file_name() ? r.file_name() : "unknown file", r.line_number(),
               r.type() == TestPartResult::kSkip ? "Skipped" : "Failure", r.message());
        fflush(stdout);
    }

private:
    TestEventListener* inner_;
};

} // namespace

void UsePlainFailurePrinter(TestEventListeners& listeners)
{
    TestEventListener* inner = listeners.Release(listeners.default_result_printer());
    listeners.Append(new PlainFailurePrinter(inner));
}
