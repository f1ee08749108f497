// The test seam of the Win32 layer: failing calls, forced display-mode answers and the log of
// message boxes.
#include "platform/Internal.h"

#include <cstddef>

namespace platform {
namespace {

struct SeamState {
    bool failing[static_cast<std::size_t>(Api::Count)] = {};
    bool displayForced = false;
    LONG displayResult = DISP_CHANGE_SUCCESSFUL;
    std::vector<MessageBoxRecord> boxes;
};

SeamState& S() {
    static SeamState state;
    return state;
}

// A program that shows message boxes forever must not grow without bound.
constexpr std::size_t MaxBoxes = 1000;

} // namespace

void SetFailing(Api api, bool fail) {
    if (api < Api::Count) {
        S().failing[static_cast<std::size_t>(api)] = fail;
    }
}

void SetDisplayChangeResult(LONG result) {
    S().displayForced = true;
    S().displayResult = result;
}

void ClearDisplayChangeResult() {
    S().displayForced = false;
}

std::vector<MessageBoxRecord> TakeMessageBoxes() {
    std::vector<MessageBoxRecord> boxes;
    boxes.swap(S().boxes);
    return boxes;
}

void ResetSeam() {
    S() = SeamState();
}

namespace detail {

bool Fails(Api api) {
    if (api < Api::Count && S().failing[static_cast<std::size_t>(api)]) {
        SetLastError(ERROR_GEN_FAILURE);
        return true;
    }
    return false;
}

bool ForcedDisplayChange(LONG* result) {
    if (S().displayForced) {
        *result = S().displayResult;
    }
    return S().displayForced;
}

void RecordMessageBox(const char* text, const char* caption, UINT type) {
    if (S().boxes.size() < MaxBoxes) {
        S().boxes.push_back(MessageBoxRecord{text ? text : "", caption ? caption : "", type});
    }
}

} // namespace detail
} // namespace platform
