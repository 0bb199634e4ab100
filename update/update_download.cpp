#include "update/update_download.h"

#include <fcntl.h>
#include <unistd.h>

#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <system_error>
#include <thread>

#include "core/safe_div.h"
#include "core/text.h"
#include "core/win1252.h"
#include "ui/dialogs.h"
#include "ui/form_layer.h"
#include "ui/gui_thread.h"
#include "update/tsocket.h"

namespace vm {

namespace {

const char* const kForm = "WupdateFile";
const char* const kRequestPath = "/vistametra/Update.exe";
constexpr int kPieceSize = 4096;
constexpr double kUnit = 1024;
const std::string kCrLf = "\r\n";

std::atomic<int> g_workers{0};

std::string cp(std::string_view utf8) {
    return utf8ToWin1252(utf8);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return text;
}

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// A count in decimal without blanks.
std::string Whole(double value) {
    return std::to_string(static_cast<long long>(Int(value)));
}

// True for a status line that answers 200: "HTTP/1.0 200" or "HTTP/1.1 200", alone or followed
// by a blank.
bool Answers200(const std::string& line) {
    const std::string lower = Lower(line);
    const bool version = lower.rfind("http/1.0 200", 0) == 0 || lower.rfind("http/1.1 200", 0) == 0;
    return version && (lower.size() == 12 || lower[12] == ' ');
}

// One download. The three counters are written by the worker alone; the event-loop thread reads
// nothing of them.
struct Download {
    UpdateSite site;
    std::string cPath;       // the installer's path as the file system takes it
    std::string cPathShown;  // the same in the program's text encoding
    double nBytesDownloaded = 0;
    double nBytesTotal = -1;  // the announced length plus 1
    double nPercents = 0;
    // Set on the event-loop thread when the window goes (released by the download, or closed by
    // the user).
    std::atomic<bool> windowGone{false};
    // Set by the worker once the installer is written whole and closed, before it asks for the
    // window's release.
    std::atomic<bool> complete{false};
    // The window this download shows itself in; touched on the event-loop thread only.
    QPointer<QWidget> window;
};

// True, on the event-loop thread, while the download's own window is still there. A form of the
// same name that was defined after the user closed this one is another window.
bool OwnWindowThere(const Download& d) {
    return !d.windowGone && d.window && FormWidget(kForm) == d.window.data();
}

class Downloader final {
public:
    explicit Downloader(std::shared_ptr<Download> download) : m_d(std::move(download)) {}

    // Builds the request and runs the exchange.
    std::string DownloadFile();

private:
    std::string SendPacket(const std::string& cHost, const std::string& cRequest, int nPort);
    int CreateFile();
    int WriteFile(int nHandle, const std::string& cChunk);
    bool CloseFile(int nHandle);
    void UpdateCur();
    void DownloadSuccess();
    void DownloadError();
    // The window's first line says why the installer will not be started.
    void ShowFailure(const std::string& reason);
    // A message box, unless the user has closed the window: then nobody waits for news of this
    // download any more.
    void Tell(const std::string& text);
    void Tell(const std::string& text, const std::string& title);
    // Runs `change` on the event-loop thread if the window is still there; the test and the
    // change happen there together, so a window that is gone is never touched.
    bool ChangeWindow(const std::function<void()>& change);
    bool Gone() const { return m_d->windowGone; }

    std::shared_ptr<Download> m_d;
};

std::string Downloader::DownloadFile() {
    return SendPacket(m_d->site.host, DownloadRequest(m_d->site.host), m_d->site.port);
}

std::string Downloader::SendPacket(const std::string& cHost, const std::string& cRequest,
                                   int nPort) {
    TSocket oSocket;
    oSocket.SetLimits(m_d->site.limits);
    if (!oSocket.Connect(cHost, nPort)) {
        ShowFailure(cp("servidor inacessível"));
        Tell("Erro ao acessar a URL " + cHost);
        oSocket.Close();
        return "Error";
    }

    const int nHandle = CreateFile();
    if (nHandle < 0) {
        // Without a file there is nothing to download into: one message, not one per piece.
        oSocket.Close();
        ShowFailure(cp("o arquivo não pôde ser criado"));
        return "Error";
    }

    if (!oSocket.SendString(cRequest)) {
        oSocket.Close();
        CloseFile(nHandle);
        ShowFailure(cp("o pedido não pôde ser enviado"));
        return "";
    }

    // Header: a silent or endless answer is given up after the header deadline, an overlong line
    // or too many lines.
    oSocket.SetDeadline(m_d->site.headerTimeLimitMs);
    std::string cStatus;
    std::string cFirstLine;
    bool lFound = false;
    bool lAnswered200 = false;
    NetStatus brokenBy = NetStatus::Ok;
    for (int nLines = 0;;) {
        const std::string cLine = oSocket.ReceiveLine();
        const NetStatus status = oSocket.LastStatus();
        if (status != NetStatus::Ok && status != NetStatus::Closed) {
            brokenBy = status;
            break;
        }
        if (cLine.empty()) {
            break;  // the empty line after the header, or the end of the stream
        }
        if (++nLines > m_d->site.maxHeaderLines) {
            brokenBy = NetStatus::LimitReached;
            break;
        }
        if (nLines == 1) {
            cFirstLine = cLine;
            lAnswered200 = Answers200(cLine);
        }
        const std::string cLower = Lower(cLine);
        if ((Contains(cLower, "http/1.1") || Contains(cLower, "http/1.0")) &&
            !Contains(cLine, "200")) {
            cStatus = SubStr(cLine, At(" ", cLine) + 1);
        }
        if (Contains(cLower, "content-length:")) {
            const int nColon = At(": ", cLine);
            const std::string cLength = nColon > 0 ? SubStr(cLine, nColon + 2) : SubStr(cLine, 2);
            m_d->nBytesTotal = Val(cLength) + 1;
            lFound = true;
        }
    }

    if (Gone()) {
        oSocket.Close();
        CloseFile(nHandle);
        return "";
    }
    if (brokenBy != NetStatus::Ok) {
        oSocket.Close();
        CloseFile(nHandle);
        ShowFailure(brokenBy == NetStatus::TimedOut ? cp("o servidor não respondeu")
                                                    : cp("resposta inválida do servidor"));
        DownloadError();
        return "Error";
    }
    // A length with an answer other than 200 (one whose status line also holds "200" somewhere)
    // is an error answer like any other.
    if (lFound && cStatus.empty() && !lAnswered200) {
        cStatus = SubStr(cFirstLine, At(" ", cFirstLine) + 1);
        if (cStatus.empty()) {
            cStatus = cFirstLine;
        }
    }

    if (lFound && cStatus.empty()) {
        // Body: pieces written as they come; the header deadline no longer applies, the receive
        // time-out still does.
        oSocket.SetDeadline(-1);
        for (;;) {
            const std::string cChunk = oSocket.ReceiveChar(kPieceSize);
            if (Gone()) {
                oSocket.Close();
                CloseFile(nHandle);
                return "";
            }
            if (WriteFile(nHandle, cChunk) != static_cast<int>(cChunk.size())) {
                oSocket.Close();
                CloseFile(nHandle);
                ShowFailure(cp("erro ao gravar o arquivo"));
                return "Error";
            }
            m_d->nBytesDownloaded += static_cast<double>(cChunk.size());
            if (cChunk.empty()) {
                oSocket.Close();
                const bool lClosed = CloseFile(nHandle);
                if (m_d->nBytesDownloaded + 1 >= m_d->nBytesTotal) {
                    if (lClosed) {
                        m_d->complete = true;
                        DownloadSuccess();
                    } else {
                        ShowFailure(cp("erro ao fechar o arquivo"));
                    }
                } else {
                    ShowFailure("recebidos " + Whole(m_d->nBytesDownloaded / kUnit) + " KB de " +
                                Whole((m_d->nBytesTotal - 1) / kUnit) + " KB");
                    DownloadError();
                }
                return "Success";
            }
            UpdateCur();
        }
    }

    // No length, or an answer other than 200: the rest of the answer goes into the file, and the
    // installer is not started.
    ShowFailure(cStatus.empty() ? std::string("tamanho do arquivo desconhecido")
                                : "o servidor respondeu " + cStatus);
    if (!lFound) {
        Tell("Erro ao identificar o tamanho do arquivo!", "Erro");
    }
    if (!cStatus.empty()) {
        Tell(cStatus, "Server Code");
    }
    const std::string cRest = oSocket.ReceiveString();
    if (!Gone()) {
        WriteFile(nHandle, cRest);
    }
    oSocket.Close();
    CloseFile(nHandle);
    return "Success";
}

int Downloader::CreateFile() {
    const int nHandle = open(m_d->cPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (nHandle < 0) {
        const int nCode = errno;
        Tell("Erro criando o arquivo: " + m_d->cPathShown + " !" + kCrLf + std::to_string(nCode),
             "Erro");
        return -1;
    }
    return nHandle;
}

int Downloader::WriteFile(int nHandle, const std::string& cChunk) {
    std::size_t nWritten = 0;
    int nCode = 0;
    while (nWritten < cChunk.size()) {
        const ssize_t n = write(nHandle, cChunk.data() + nWritten, cChunk.size() - nWritten);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            nCode = n < 0 ? errno : ENOSPC;
            break;
        }
        nWritten += static_cast<std::size_t>(n);
    }
    if (nWritten != cChunk.size()) {
        Tell("Erro salvando o arquivo:" + kCrLf + std::to_string(nCode), "Erro");
    }
    return static_cast<int>(nWritten);
}

bool Downloader::CloseFile(int nHandle) {
    if (close(nHandle) != 0) {
        const int nCode = errno;
        Tell("Erro fechando o arquivo:" + kCrLf + std::to_string(nCode), "Erro");
        return false;
    }
    return true;
}

void Downloader::UpdateCur() {
    const std::string cText = Whole(m_d->nBytesDownloaded / kUnit) + " KB from " +
                              Whole(SafeDiv(m_d->nBytesTotal, kUnit)) + " KB";
    m_d->nPercents = SafeDiv(m_d->nBytesDownloaded, m_d->nBytesTotal) * 100;
    // The bar's range is 0 to 100; a position beyond it shows the bar full (or empty).
    const int nPosition = static_cast<int>(std::clamp(Int(m_d->nPercents), 0.0, 100.0));
    ChangeWindow([&] {
        SetProperty(kForm, "Label_1", "Caption", cText);
        SetProperty(kForm, "Pg_1", "Value", nPosition);
    });
    DoEvents();
}

void Downloader::DownloadSuccess() {
    ChangeWindow([] { SetProperty(kForm, "Label_1", "Caption", "Download Parcial Completo"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::shared_ptr<Download> d = m_d;
    postToGuiThread([d] {
        if (OwnWindowThere(*d)) {
            DoMethod(kForm, "release");
        }
    });
}

void Downloader::DownloadError() {
    Tell(cp("Erro crítico!") + kCrLf + cp("Por favor, reinicie a aplicação e tente novamente"),
         cp("Erro crítico"));
}

void Downloader::ShowFailure(const std::string& reason) {
    const std::string cText = cp("Download não concluído: ") + reason;
    ChangeWindow([&] { SetProperty(kForm, "Label_1", "Caption", cText); });
}

void Downloader::Tell(const std::string& text) {
    if (!Gone()) {
        MsgStop(text);
    }
}

void Downloader::Tell(const std::string& text, const std::string& title) {
    if (!Gone()) {
        MsgStop(text, title);
    }
}

bool Downloader::ChangeWindow(const std::function<void()>& change) {
    bool lChanged = false;
    runOnGuiThread([&] {
        if (OwnWindowThere(*m_d)) {
            change();
            lChanged = true;
        }
    });
    return lChanged;
}

// Counts a worker from before its thread starts until after it has let go of everything.
struct WorkerCount {
    WorkerCount() { ++g_workers; }
    ~WorkerCount() { --g_workers; }
    WorkerCount(const WorkerCount&) = delete;
    WorkerCount& operator=(const WorkerCount&) = delete;
};

// The window's initialisation: the download runs on a thread of its own that nobody waits for.
void ButtonMain(const std::shared_ptr<Download>& d) {
    d->window = FormWidget(kForm);
    auto count = std::make_shared<WorkerCount>();
    try {
        std::thread([d, count]() mutable {
            try {
                Downloader(std::move(d)).DownloadFile();
            } catch (...) {
                // A fatal error on the way has been reported where it happened.
            }
            count.reset();
        }).detach();
    } catch (const std::system_error&) {
        SetProperty(kForm, "Label_1", "Caption",
                    cp("Download não concluído: o download não pôde ser iniciado"));
    }
}

}  // namespace

std::optional<std::string> UpdateFile(const UpdateSite& site) {
    if (DownloadWindowOpen()) {
        ShowDownloadWindow();
        return std::nullopt;
    }
    auto d = std::make_shared<Download>();
    d->site = site;
    d->cPath = InstallerPath();
    d->cPathShown = utf8ToWin1252(d->cPath);

    DefineWindow({.name = kForm,
                  .title = "Download do Arquivo.",
                  .col = 0,
                  .row = 0,
                  .width = 455,
                  .height = 280,
                  .canMinimize = false,
                  .canMaximize = false,
                  .sizable = false,
                  .systemMenu = true,
                  .onInit = [d] { ButtonMain(d); },
                  .onRelease = [d] { d->windowGone = true; },
                  .kind = WindowKind::Child,
                  .fontName = "Tahoma",
                  .fontSize = 10});
    DefineLabel({.name = "Label_1",
                 .col = 10,
                 .row = 80,
                 .text = "http://" + site.host + kRequestPath,
                 .width = 440,
                 .height = 16,
                 .centerAlign = true});
    DefineProgressBar({.name = "Pg_1",
                       .col = 20,
                       .row = 100,
                       .width = 410,
                       .height = 34,
                       .min = 0,
                       .max = 100,
                       .tooltip = "Progresso do download",
                       .value = 0});
    DefineLabel({.name = "Label_2",
                 .col = 10,
                 .row = 135,
                 .text = "To " + d->cPathShown,
                 .width = 440,
                 .height = 16,
                 .centerAlign = true});
    EndWindow();
    DoMethod(kForm, "Center");
    DoMethod(kForm, "Activate");
    if (!d->complete) {
        return std::nullopt;
    }
    return d->cPath;
}

bool DownloadWindowOpen() {
    return IsWindowDefined(kForm);
}

void ShowDownloadWindow() {
    if (IsWindowActive(kForm)) {
        DoMethod(kForm, "show");
        DoMethod(kForm, "setfocus");
    }
}

std::string InstallerPath() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    if (error) {
        return "Update.exe";
    }
    return (folder / "Update.exe").string();
}

std::string DownloadRequest(const std::string& host) {
    return std::string("GET ") + kRequestPath + " HTTP/1.1" + kCrLf + "Host: " + host + kCrLf +
           "User-Agent: Downloader (Version 1.1)" + kCrLf + "Connection: close" + kCrLf + kCrLf;
}

int DownloadWorkersRunning() {
    return g_workers;
}

}  // namespace vm
