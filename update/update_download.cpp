#include "update/update_download.h"

#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <system_error>
#include <thread>

#include "core/system_reason.h"
#include "core/win1252.h"
#include "net/tsocket.h"
#include "ui/dialogs.h"
#include "ui/form_layer.h"
#include "ui/gui_thread.h"
#include "update/installer_file.h"
#include "update/installer_transfer.h"
#include "update/shown_text.h"

namespace vm {

namespace {

const char* const kForm = "WupdateFile";
constexpr std::uint64_t kUnit = 1024;
// The progress is shown at most this often; the worker itself never waits for the window.
constexpr int kProgressIntervalMs = 50;
// Most of a server's status text that the window and its box show.
constexpr std::size_t kShownStatusChars = 200;
const std::string kCrLf = "\r\n";

std::atomic<int> g_workers{0};

std::string cp(std::string_view utf8) {
    return utf8ToWin1252(utf8);
}

// The file system's reason in words ("Não há espaço disponível no dispositivo"), never a bare
// number.
std::string Reason(int err) {
    return cp(PortugueseSystemReason(err));
}

// One download. The worker alone writes the counters; the window's timer reads them.
struct Download {
    UpdateSite site;
    std::string cPath;       // the installer's path as the file system takes it
    std::string cPathShown;  // the same in the program's text encoding
    TransferProgress progress;
    // Set on the event-loop thread when the window goes (released by the download, or closed by
    // the user).
    std::atomic<bool> windowGone{false};
    // Set by the worker once the installer is written whole and has its name, before it asks for
    // the window's release.
    std::atomic<bool> complete{false};
    // Set by the worker when it no longer shows progress.
    std::atomic<bool> finished{false};
    // The window this download shows itself in; touched on the event-loop thread only.
    QPointer<QWidget> window;
    // The bytes last shown; event-loop thread only.
    std::uint64_t shown = 0;
};

// True, on the event-loop thread, while the download's own window is still there. A form of the
// same name that was defined after the user closed this one is another window.
bool OwnWindowThere(const Download& d) {
    return !d.windowGone && d.window && FormWidget(kForm) == d.window.data();
}

// A count in KB in decimal without blanks.
std::string Kb(std::uint64_t bytes) {
    return std::to_string(bytes / kUnit);
}

// Label_1 may hold more than its one line: it then wraps, growing upwards into the empty top of
// the window, so that its bottom stays above the bar.
void FitLabel1() {
    auto* label = qobject_cast<QLabel*>(ControlWidget(kForm, "Label_1"));
    if (label == nullptr) {
        return;
    }
    const QRect place = label->geometry();
    const int bottom = place.bottom();
    const bool fits =
        label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width();
    if (fits && !label->wordWrap()) {
        return;
    }
    label->setWordWrap(true);
    const int height = std::max(place.height(), label->heightForWidth(place.width()));
    const int top = std::max(0, bottom + 1 - height);
    label->setGeometry(place.x(), top, place.width(), bottom + 1 - top);
}

// The progress of `received` bytes: "X KB from Y KB" (Y from the announced length plus 1) and the
// bar's position; on the event-loop thread, in the download's own window.
void ShowProgress(Download& d, std::uint64_t received) {
    const auto length = static_cast<std::uint64_t>(std::max<std::int64_t>(d.progress.length, 0));
    const std::uint64_t total = length + 1;
    SetProperty(kForm, "Label_1", "Caption", Kb(received) + " KB from " + Kb(total) + " KB");
    SetProperty(kForm, "Pg_1", "Value",
                static_cast<int>(std::min<std::uint64_t>(received * 100 / total, 100)));
    d.shown = received;
}

class Downloader final {
public:
    explicit Downloader(std::shared_ptr<Download> download) : m_d(std::move(download)) {}

    // Connects, fetches the installer into its file and tells the outcome.
    void DownloadFile();

private:
    void TellOutcome(const TransferResult& result, InstallerFile& file);
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

void Downloader::DownloadFile() {
    const std::string& cHost = m_d->site.host;
    TSocket oSocket;
    oSocket.SetLimits(m_d->site.limits);
    const std::optional<HttpProxy>& proxy = m_d->site.proxy;
    if (!(proxy ? oSocket.Connect(proxy->host, proxy->port)
                : oSocket.Connect(cHost, m_d->site.port))) {
        ShowFailure(cp("servidor inacessível"));
        Tell("Erro ao acessar a URL " + cHost);
        return;
    }

    // The body goes into a new file of its own, which becomes the installer only when complete.
    InstallerFile file(m_d->cPath);
    if (!file.Create()) {
        Tell("Erro criando o arquivo: " + m_d->cPathShown + " !" + kCrLf +
                 Reason(file.Error()),
             "Erro");
        ShowFailure(cp("o arquivo não pôde ser criado"));
        return;
    }

    TransferLimits limits;
    limits.headerTimeLimitMs = m_d->site.headerTimeLimitMs;
    limits.maxHeaderLines = m_d->site.maxHeaderLines;
    const TransferResult result = TransferInstaller(
        oSocket,
        DownloadRequest(
            proxy && m_d->site.port != 80 ? cHost + ":" + std::to_string(m_d->site.port) : cHost,
            proxy),
        file, limits, &m_d->progress, &m_d->windowGone);
    oSocket.Close();
    m_d->finished = true;
    TellOutcome(result, file);
}

void Downloader::TellOutcome(const TransferResult& result, InstallerFile& file) {
    const InstallerHeader& header = result.header;
    const std::string cStatus = Abbreviated(header.StatusText(), kShownStatusChars, 1);
    switch (result.outcome) {
        case TransferOutcome::Complete: {
            const bool committed = file.Commit();
            if (!committed && file.Failure().kind == FileFailureKind::Write) {
                // The flush to the disk (or the close) failed.
                Tell("Erro fechando o arquivo:" + kCrLf + Reason(file.Error()), "Erro");
                ShowFailure(cp("erro ao fechar o arquivo"));
            } else if (!committed) {
                Tell("Erro criando o arquivo: " + m_d->cPathShown + " !" + kCrLf +
                         Reason(file.Error()),
                     "Erro");
                ShowFailure(cp("o arquivo não pôde ser criado"));
            } else {
                m_d->complete = true;
                std::shared_ptr<Download> d = m_d;
                const std::uint64_t received = result.received;
                ChangeWindow([d, received] {
                    if (received > 0) {
                        ShowProgress(*d, received);
                    }
                });
                DownloadSuccess();
            }
            return;
        }
        case TransferOutcome::NotSent:
            ShowFailure(cp("o pedido não pôde ser enviado"));
            return;
        case TransferOutcome::HeaderBroken:
            ShowFailure(result.brokenBy == NetStatus::TimedOut ||
                                result.brokenBy == NetStatus::Closed
                            ? cp("o servidor não respondeu")
                            : cp("resposta inválida do servidor"));
            DownloadError();
            return;
        case TransferOutcome::ErrorStatus:
            ShowFailure("o servidor respondeu " + cStatus);
            if (!header.Length()) {
                Tell("Erro ao identificar o tamanho do arquivo!", "Erro");
            }
            Tell(cStatus, "Server Code");
            return;
        case TransferOutcome::NoLength:
            ShowFailure("tamanho do arquivo desconhecido");
            Tell("Erro ao identificar o tamanho do arquivo!", "Erro");
            return;
        case TransferOutcome::CutShort:
            ShowFailure("recebidos " + Kb(result.received) + " KB de " +
                        Kb(header.Length().value_or(0)) + " KB");
            DownloadError();
            return;
        case TransferOutcome::WriteFailed:
            Tell("Erro salvando o arquivo:" + kCrLf + Reason(result.writeError), "Erro");
            ShowFailure(cp("erro ao gravar o arquivo"));
            return;
        case TransferOutcome::Cancelled:
            return;
    }
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
    ChangeWindow([&] {
        SetProperty(kForm, "Label_1", "Caption", cText);
        FitLabel1();
    });
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

// Shows the progress every kProgressIntervalMs while the worker downloads; a timer of the window,
// so it goes with it.
void StartProgressTimer(const std::shared_ptr<Download>& d) {
    auto* timer = new QTimer(d->window.data());
    QObject::connect(timer, &QTimer::timeout, timer, [d, timer] {
        if (d->finished || !OwnWindowThere(*d)) {
            timer->stop();
            return;
        }
        const std::uint64_t received = d->progress.received;
        // Nothing before the first piece, and nothing that is already shown.
        if (received > 0 && received != d->shown) {
            ShowProgress(*d, received);
        }
    });
    timer->start(kProgressIntervalMs);
}

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
        FitLabel1();
        return;
    }
    StartProgressTimer(d);
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
                 .text = "http://" + site.host + kInstallerRequestPath,
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

int DownloadWorkersRunning() {
    return g_workers;
}

}  // namespace vm
