#include "update/check_at_start.h"

#include <string>

#include "core/file_names.h"
#include "core/win1252.h"
#include "ui/dialogs.h"
#include "ui/file_failure_text.h"
#include "update/check_at_start_setting.h"
#include "update/update_check.h"

namespace vm {

namespace {

const char* const kQuestion = "Verificar se há versão mais atual sempre que o programa iniciar?";

// Asks and keeps the answer; a choice that cannot be kept is said, and holds for this run only.
bool askAndKeep(const std::string& text) {
    const bool check = MsgYesNo(utf8ToWin1252(text), utf8ToWin1252("Atualização"));
    std::string error;
    FileFailure failure;
    if (!SaveCheckAtStartChoice(check, &error, &failure)) {
        MsgStop(utf8ToWin1252("A escolha não pôde ser guardada.\r\n") +
                    (failure.kind != FileFailureKind::None ? FileFailureReason(failure)
                                                           : utf8ToWin1252(error)) +
                    "\r\n" + TextFromFileName(CheckAtStartFile()),
                utf8ToWin1252("Atualização"));
    }
    return check;
}

}  // namespace

void CheckAtStart(const UpdateSite& site, const std::function<void(bool waiting)>& waiting) {
    std::optional<bool> check = CheckAtStartChoice();
    if (!check && site.installedCopy) {
        check = askAndKeep(kQuestion);
    }
    if (check.value_or(true)) {
        UpdateFrom(site, false, waiting);
    }
}

void ChooseCheckAtStart() {
    const bool now = CheckAtStartChoice().value_or(true);
    askAndKeep(std::string(kQuestion) +
               "\r\n\r\nAgora: " + (now ? "verifica ao iniciar." : "não verifica ao iniciar."));
}

}  // namespace vm
