#pragma once
// Process-wide settings shared by the handler's parts (not part of the public interface).

#include <atomic>
#include <string>

namespace vm::detail {

struct RuntimeState {
    std::string language = "EN";
    bool deleted = false;
    bool softSeek = false;
    std::atomic<bool> showDetail{true};
    std::atomic<bool> detailWritten{false};
    std::atomic<bool> dialogShown{false};
    std::atomic<bool> netErr{false};
};

RuntimeState& runtimeState();

}  // namespace vm::detail
