#pragma once

#include "common/error_report.h"
#include "common/failure.h"

#include <QString>
#include <exception>
#include <functional>
#include <new>
#include <utility>

// The trap of a procedure that must never stop on a failure: each statement runs under a line label;
// a failing statement is reported once with that label and the procedure goes on with the next one.
class ErrorTrap {
public:
    using Reporter = std::function<void(const QString& message)>;

    ErrorTrap(QString location, Reporter reporter)
        : location_(std::move(location)), reporter_(std::move(reporter)) {}

    // Runs one statement. Answers false when it failed (the failure has been reported by then).
    template <class Statement>
    bool Run(int lineLabel, Statement&& statement)
    {
        try {
            std::forward<Statement>(statement)();
            return true;
        } catch (const Failure& failure) {
            Report(failure.description(), lineLabel);
        } catch (const std::bad_alloc&) {
            Report(QStringLiteral("Out of memory"), lineLabel);
        } catch (const std::exception& e) {
            Report(QString::fromUtf8(e.what()), lineLabel);
        }
        return false;
    }

    // Evaluates the test of a branch. A test that fails counts as a failure of its statement, and
    // execution goes on with the first action the test guards, so a failed test answers true.
    template <class Condition>
    bool Test(int lineLabel, Condition&& condition)
    {
        bool result = true;
        Run(lineLabel, [&] { result = std::forward<Condition>(condition)(); });
        return result;
    }

    int reportsShown() const { return reportsShown_; }

private:
    void Report(const QString& description, int lineLabel)
    {
        ++reportsShown_;
        try {
            reporter_(ErrorReport::Compose(description, location_, lineLabel));
        } catch (const std::exception&) {
            // Out of memory even for the report: the procedure goes on all the same, as it would
            // after the user had read it.
        }
    }

    QString location_;
    Reporter reporter_;
    int reportsShown_ = 0;
};
