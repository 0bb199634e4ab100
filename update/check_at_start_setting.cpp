#include "update/check_at_start_setting.h"

#include <cstdlib>

#include "core/atomic_file.h"
#include "core/platform_paths.h"
#include "core/whole_file.h"

namespace vm {

namespace {

const std::string kKey = "verificar-ao-iniciar=";

std::string configFolder() {
    // Relative values are to be ignored, as the XDG base directories say.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/') {
        return std::string(config) + "/vistametra/";
    }
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config/vistametra/";
}

}  // namespace

std::string CheckAtStartFile() {
    return configFolder() + "atualizacao.conf";
}

std::optional<bool> CheckAtStartChoice() {
    const std::optional<std::string> text = ReadWholeFileIfAny(CheckAtStartFile(), 4096);
    if (!text) {
        return std::nullopt;
    }
    const auto at = text->find(kKey);
    if (at == std::string::npos || (at > 0 && (*text)[at - 1] != '\n')) {
        return std::nullopt;
    }
    const std::string value = text->substr(at + kKey.size(), 3);
    if (value == "sim") {
        return true;
    }
    if (value == "nao") {
        return false;
    }
    return std::nullopt;
}

bool SaveCheckAtStartChoice(bool check, std::string* error, FileFailure* failure) {
    if (!ensureFolder(configFolder())) {
        *error = "Não foi possível criar a pasta " + configFolder();
        return false;
    }
    AtomicFile file;
    if (file.Open(CheckAtStartFile()) && file.Write(kKey + (check ? "sim" : "nao") + "\n") &&
        file.Commit()) {
        return true;
    }
    *error = file.Error();
    if (failure != nullptr) {
        *failure = file.Failure();
    }
    return false;
}

}  // namespace vm
