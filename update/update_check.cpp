#include "update/update_check.h"

#include <string>

#include "core/program_values.h"
#include "core/text.h"
#include "core/win1252.h"
#include "ui/dialogs.h"
#include "ui/form_layer.h"
#include "update/thttp.h"
#include "update/update_download.h"
#include "update/update_installer.h"

namespace vm {

namespace {

const char* const kPagePath = "/vistametra/index.html";
const char* const kMarker = "Download Vistametra";
const std::string kCrLf = "\r\n";

std::string cp(std::string_view utf8) {
    return utf8ToWin1252(utf8);
}

}  // namespace

void Update(bool lManual) {
    UpdateFrom(UpdateSite{}, lManual);
}

void UpdateFrom(const UpdateSite& site, bool lManual) {
    if (DownloadWindowOpen()) {
        ShowDownloadWindow();
        return;
    }

    std::string cPage = " ";
    {
        THttp oSock;
        oSock.SetLimits(site.limits);
        oSock.SetAnswerTimeLimit(site.pageTimeLimitMs);
        if (oSock.Connect(site.host, site.port)) {
            cPage = oSock.Get(kPagePath);
            // The connection is closed before anything is asked or shown.
            oSock.Close();
            if (At(kMarker, cPage) == 0) {
                MsgStop(cp("Arquivo para update não encontrado!"), "Update");
                MsgStop(cPage, "teste");
                return;
            }
        }
    }

    bool Atualizar = false;
    const double nVerInst = Val(SubStr(programValues().QTV_VERSAO, 12, 4));
    const int nBegin = At(kMarker, cPage);
    std::string cVerSite = SubStr(cPage, nBegin, 24);
    const double nVerSite = Val(SubStr(cVerSite, 21, 4));
    cVerSite = SubStr(cVerSite, 10);

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
