// What a step below the launcher gives back: success, or the result code of its failure with the
// English log line that says why and how the person running setup learns of it. The step itself
// shows nothing and records nothing; the launcher turns a failure into the run's result, its
// message and, where asked, the request to end the run.
#pragma once

#include "common/LogSink.h"
#include "common/SetupResultCode.h"

#include <cstdint>
#include <string>
#include <utility>

namespace quentry {

// How the person running setup learns of a failure.
enum class FailureNotice {
    AtEnd,   // the result's own message, once, when the run reports its outcome
    Message, // a message of its own now; then the run is asked to end
    Given,   // nothing more: the person has already decided (a declined question)
};

struct Status {
    int32_t code = Success;
    // Logged at the error level when not empty, whether or not the failure becomes the result.
    std::wstring logText;
    FailureNotice notice = FailureNotice::AtEnd;
    // For FailureNotice::Message: the string id and the one argument of its %s.
    unsigned messageId = 0;
    std::wstring messageArgument;

    bool Ok() const { return code == Success; }

    static Status Failure(int32_t code, std::wstring logText = {}) {
        return Status{code, std::move(logText), FailureNotice::AtEnd, 0, {}};
    }
    static Status FailureWithMessage(int32_t code, std::wstring logText, unsigned messageId,
                                     std::wstring messageArgument) {
        return Status{code, std::move(logText), FailureNotice::Message, messageId,
                      std::move(messageArgument)};
    }
    static Status Decided(int32_t code, std::wstring logText = {}) {
        return Status{code, std::move(logText), FailureNotice::Given, 0, {}};
    }
};

// The first failure of a sequence of steps is the one the run reports: it is kept in first while
// first is still a success. A later failure only adds its line to the log, at once.
inline void KeepFirstFailure(Status& first, Status next, const LogSink& log) {
    if (next.Ok()) {
        return;
    }
    if (first.Ok()) {
        first = std::move(next);
    } else if (!next.logText.empty() && log) {
        log(LogError, next.logText);
    }
}

} // namespace quentry
