#include "pagefile/page_files.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace vm {

namespace {

constexpr std::string_view kInfix = "_kpv_print_preview_";
constexpr std::string_view kExtension = ".Emf";

bool IsPageFileOf(std::string_view name, std::string_view previewId) {
    const size_t prefix = previewId.size() + kInfix.size();
    return name.size() >= prefix + kExtension.size() &&
           name.substr(0, previewId.size()) == previewId &&
           name.substr(previewId.size(), kInfix.size()) == kInfix &&
           name.substr(name.size() - kExtension.size()) == kExtension;
}

}  // namespace

std::string PreviewId(int64_t hundredthsSinceMidnight) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%08lld",
                  static_cast<long long>(std::max<int64_t>(0, hundredthsSinceMidnight)));
    return buffer;
}

std::string PreviewIdNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto hundredths = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000 / 10;
    return PreviewId((local.tm_hour * 3600LL + local.tm_min * 60 + local.tm_sec) * 100 +
                     hundredths);
}

std::string PageFileName(std::string_view folder, std::string_view previewId, int pageNumber) {
    char number[16];
    std::snprintf(number, sizeof number, "%04d", std::max(0, pageNumber));
    std::string name(folder);
    name += previewId;
    name += kInfix;
    name += number;
    name += kExtension;
    return name;
}

std::vector<std::string> ListPageFiles(std::string_view folder, std::string_view previewId) {
    std::vector<std::string> files;
    if (previewId.empty()) {
        return files;  // would stand for every job's files
    }
    std::error_code error;
    std::filesystem::directory_iterator it(std::filesystem::path(std::string(folder)), error);
    if (error) {
        return files;
    }
    for (const auto& entry : it) {
        const std::string name = entry.path().filename().string();
        if (IsPageFileOf(name, previewId) && entry.is_regular_file(error)) {
            files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

int DeletePageFiles(std::string_view folder, std::string_view previewId) {
    int deleted = 0;
    for (const std::string& file : ListPageFiles(folder, previewId)) {
        std::error_code error;
        if (std::filesystem::remove(file, error)) {
            ++deleted;
        }
    }
    return deleted;
}

}  // namespace vm
