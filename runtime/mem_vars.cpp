#include "runtime/mem_vars.h"

#include <algorithm>
#include <utility>

#include "core/text.h"
#include "core/win1252.h"

namespace vm {

namespace {

struct MemVar {
    MemVarScope scope;
    std::string name;
    std::function<MemVarValue()> getter;
};

std::vector<MemVar>& registry() {
    static std::vector<MemVar> vars;
    return vars;
}

std::string upper(std::string_view text) {
    return upperWin1252(text);
}

}  // namespace

void RegisterMemVar(MemVarScope scope, std::string name, std::function<MemVarValue()> getter) {
    auto& vars = registry();
    const std::string key = upper(name);
    auto it = std::find_if(vars.begin(), vars.end(), [&](const MemVar& v) {
        return v.scope == scope && upper(v.name) == key;
    });
    if (it != vars.end()) {
        it->name = std::move(name);
        it->getter = std::move(getter);
        return;
    }
    vars.push_back({scope, std::move(name), std::move(getter)});
}

void UnregisterMemVar(std::string_view name) {
    const std::string key = upper(name);
    std::erase_if(registry(), [&](const MemVar& v) { return upper(v.name) == key; });
}

void ClearMemVars() {
    registry().clear();
}

char MemVarType(const MemVarValue& value) {
    switch (value.index()) {
        case 1:
            return 'C';
        case 2:
            return 'N';
        case 3:
            return 'D';
        case 4:
            return 'L';
        default:
            return 'U';
    }
}

std::string MemVarText(const MemVarValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    if (const auto* number = std::get_if<double>(&value)) {
        return Str(*number);
    }
    if (const auto* date = std::get_if<Date>(&value)) {
        if (date->isEmpty()) {
            return "0d00000000";
        }
        return "0d" + StrZero(date->year, 4) + StrZero(date->month, 2) + StrZero(date->day, 2);
    }
    if (const auto* logical = std::get_if<bool>(&value)) {
        return *logical ? ".T." : ".F.";
    }
    return "";
}

std::vector<std::string> MemVarLines(MemVarScope scope) {
    std::vector<std::string> lines;
    for (const MemVar& var : registry()) {
        if (var.scope != scope || var.name.empty() || var.name[0] == '_' || !var.getter) {
            continue;
        }
        const MemVarValue value = var.getter();
        const char type = MemVarType(value);
        if (type == 'U') {
            continue;
        }
        lines.push_back("      " + upper(var.name) + " TYPE " + type + " [" + MemVarText(value) +
                        "]");
    }
    return lines;
}

}  // namespace vm
