#include "update/update_check.h"

#include <optional>
#include <string>

#include "core/program_values.h"
#include "core/text.h"
#include "core/win1252.h"
#include "ui/dialogs.h"
#include "ui/form_layer.h"
#include "ui/gui_thread.h"
#include "update/shown_text.h"
#include "update/update_download.h"
#include "update/update_installer.h"
#include "update/version_page.h"

namespace vm {

namespace {

const char* const kMarker = "Download Vistametra";
// Most of an answer without the marker that is shown.
constexpr std::size_t kShownAnswerChars = 2000;
constexpr std::size_t kShownAnswerLines = 30;
const std::string kCrLf = "\r\n";

std::string cp(std::string_view utf8) {
    return utf8ToWin1252(utf8);
}

// An installed copy is updated by the package manager: a newer version is told with the page's
// text, and nothing is downloaded or run. A copy that is up to date says so only when asked.
void tellPackagedCopy(const std::string& cPage, const std::string& cVerSite, bool newer,
                      bool lManual) {
    if (!newer && !lManual) {
        return;
    }
    const std::string versions = "Instalada : " + programValues().QTV_VERSAO +
                                 std::string(15, ' ') + "No site : " + cVerSite;
    if (!newer) {
        MsgInfo(cp("A versão do software instalado está atualizada.") + kCrLf + kCrLf + versions,
                cp("Atualização"));
        return;
    }
    MsgInfo(cp("Existe uma versão mais atual do software instalado. Atualize pelo gerenciador de "
               "pacotes.") +
                kCrLf + kCrLf + versions + kCrLf + kCrLf +
                Abbreviated(cPage, kShownAnswerChars, kShownAnswerLines),
            cp("Atualização"));
}

}  // namespace

void Update(bool lManual) {
    UpdateFrom(UpdateSite{}, lManual);
}

void UpdateFrom(const UpdateSite& site, bool lManual,
                const std::function<void(bool waiting)>& waiting) {
    if (DownloadWindowOpen()) {
        ShowDownloadWindow();
        return;
    }

    // The exchange runs on a thread of its own; the window meanwhile repaints, shows the wait
    // cursor and takes no input. The check goes on only with an answer in hand.
    std::optional<std::string> answer;
    if (waiting) {
        waiting(true);
    }
    RunWhileWaiting([&] { answer = FetchVersionPage(site); });
    if (waiting) {
        waiting(false);
    }
    if (!answer) {
        if (lManual) {
            MsgStop(cp("Não foi possível contatar o servidor de atualização."), cp("Atualização"));
        }
        return;
    }
    const std::string& cPage = *answer;
    if (At(kMarker, cPage) == 0) {
        MsgStop(cp("Arquivo para update não encontrado!"), "Update");
        // However long the answer, the box fits the screen.
        MsgStop(Abbreviated(cPage, kShownAnswerChars, kShownAnswerLines), "teste");
        return;
    }

    bool Atualizar = false;
    const double nVerInst = Val(SubStr(programValues().QTV_VERSAO, 12, 4));
    const int nBegin = At(kMarker, cPage);
    std::string cVerSite = SubStr(cPage, nBegin, 24);
    const double nVerSite = Val(SubStr(cVerSite, 21, 4));
    cVerSite = SubStr(cVerSite, 10);

    if (site.installedCopy) {
        tellPackagedCopy(cPage, cVerSite, nVerInst < nVerSite, lManual);
        return;
    }

    std::string Mensagem;
    if (nVerInst < nVerSite) {
        Atualizar = true;
        Mensagem =
            cp("Existe uma versão mais atual do software instalado, deseja executar o "
               "download agora ?");
    } else if (lManual) {
        Atualizar = true;
        Mensagem =
            cp("A versão do software instalado está atualizada, mesmo assim deseja "
               "executar o download agora ?");
    }
    if (!Atualizar) {
        return;
    }
    Mensagem += kCrLf + kCrLf + "Instalada : " + programValues().QTV_VERSAO + std::string(15, ' ') +
                "Para download : " + cVerSite + kCrLf + kCrLf + kCrLf + kCrLf;
    if (!MsgYesNo(Mensagem, cp("Atualização"))) {
        return;
    }

    // Only a whole installer is started; after any other outcome the download window has said
    // why, and the program goes on.
    const std::optional<std::string> cInstaller = UpdateFile(site);
    if (!cInstaller) {
        return;
    }
    if (!StartInstaller(*cInstaller)) {
        MsgStop(cp("O instalador não pôde ser iniciado:") + kCrLf + utf8ToWin1252(*cInstaller),
                cp("Atualização"));
        return;
    }
    DoMethod("wmenu", "release");
}

}  // namespace vm
