// A project file handed over by a second start, into the main window driven as a user drives it:
// while Salvar como's real dialog is open the file waits, so the name chosen receives the project
// that was in the window; and a client that sends its path slowly never holds the window up.
#include "program/file_handover.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/win1252.h"
#include "program/main_window.h"
#include "program/program_start.h"
#include "project/project_file.h"
#include "tests/support/main_window_fixture.h"
#include "tests/support/real_file_dialog.h"

namespace {

namespace fs = std::filesystem;

class FileHandoverTest : public MainWindowFixture {
protected:
    FileHandoverTest() : MainWindowFixture("vm-entrega") {}
    void SetUp() override {
        MainWindowFixture::SetUp();
        m_socket = (m_dir / "h.socket").string();
    }
    std::string m_socket;
};

std::string projectText(const char* name, int rows) {
    vm::DadosProjeto p = vm::ProjetoInicial();
    p.cProjeto = name;
    p.nNumeroFilas = rows;
    return vm::TextoProjeto(p);
}

// Project A (edited, 12 rows) is being saved under a new name when B is handed over: B waits for
// the dialog and the save, so "A.qtv" receives A; then B opens, with nothing left to ask about.
TEST_F(FileHandoverTest, AFileHandedOverWhileSalvarComoAsksForANameWaits) {
    const fs::path b = m_dir / "B.qtv";
    const std::string bText = projectText("PROJETO_B", 4);
    std::ofstream(b, std::ios::binary) << bText;
    std::string error;
    ASSERT_TRUE(vm::listenForFiles(m_socket, vm::OpenHandedOverFile, &error)) << error;
    vm::test::RealFileDialogs dialogs(m_dialogs);
    runWindow([&] {
        ASSERT_TRUE(focusControl("wmenu", "nNumeroFilast"));
        QTest::keyClicks(vm::ControlWidget("wmenu", "nNumeroFilast"), "12");
        QTest::keyClick(vm::ControlWidget("wmenu", "nNumeroFilast"), Qt::Key_Tab);
        const std::string aText = vm::TextoProjeto(vm::projeto());
        ASSERT_NE(aText.find("<NumeroFilas> 12</NumeroFilas>"), std::string::npos);

        std::atomic<bool> handed{false};
        std::thread second;
        bool stillA = false;
        vm::test::FileDialogDriver driver([&](QFileDialog& dialog) {
            if (!second.joinable()) {
                // The second start, while the dialog asks for a name.
                second = std::thread([&] {
                    std::string why;
                    handed = vm::handFileOver(m_socket, b.string(), &why);
                    EXPECT_TRUE(handed) << why;
                });
                return false;
            }
            if (!handed) {
                return false;
            }
            // The receipt came after the path was queued for the window: deliver it now.
            QCoreApplication::sendPostedEvents();
            stillA = vm::projeto().nNumeroFilas == 12 &&
                     vm::FormWidget("wmenu")->windowTitle() == "Vistametra";
            vm::test::TypeNameAndEnter(dialog, "A");
            return true;
        });
        menuAction(QString::fromUtf8("Salvar &como…"))->trigger();
        if (second.joinable()) {
            second.join();
        }
        ASSERT_TRUE(driver.done());
        EXPECT_TRUE(stillA);
        EXPECT_EQ(vm::MemoRead((m_dir / "A.qtv").string()), aText);
        // Then B opens in the window, as Abrir opens it.
        VM_TRY_EQ(vm::FormWidget("wmenu")->windowTitle(), QString("Vistametra - B.qtv"));
        EXPECT_EQ(vm::projeto().cProjeto, "PROJETO_B");
        EXPECT_EQ(vm::MemoRead(b.string()), bText);
    });
    // A was saved just before: B opened without "Salvar as alterações?".
    for (const std::string& box : m_dialogs.messageLog()) {
        EXPECT_EQ(box.find(vm::utf8ToWin1252("Salvar as alterações?")), std::string::npos) << box;
    }
}

// A client that sends its path one byte at a time, each after the window's timer ticked again:
// the window goes on ticking between the bytes, the connection is closed once the exchange's one
// deadline has passed (however often bytes still arrive), and nothing is opened.
TEST_F(FileHandoverTest, ASlowClientNeverHoldsTheWindowUp) {
    std::vector<std::string> opened;
    std::string error;
    ASSERT_TRUE(vm::listenForFiles(
        m_socket, [&](const std::string& file) { opened.push_back(file); }, &error))
        << error;
    runWindow([&] {
        std::atomic<int> ticks{0};
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(5);

        std::atomic<bool> closed{false};
        std::atomic<bool> frozen{false};
        std::atomic<int> sent{0};
        std::thread client([&] {
            const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path, m_socket.c_str(), m_socket.size() + 1);
            if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
                ADD_FAILURE() << std::strerror(errno);
                closed = true;
                return;
            }
            const std::string path = "/tmp/lento/" + std::string(200, 'x');
            for (const char byte : path) {
                // One byte every 400 ms, as a slow client paces them ...
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
                if (send(fd, &byte, 1, MSG_NOSIGNAL) != 1) {
                    break;  // the window has closed the connection
                }
                ++sent;
                // ... and the window's 5 ms timer ticks between two of them: a window that
                // has not ticked for 3 s is held up (the exchange's deadline is 5 s).
                const int before = ticks;
                const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(3);
                while (ticks == before) {
                    if (std::chrono::steady_clock::now() > limit) {
                        frozen = true;
                        break;
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                pollfd p{fd, POLLIN | POLLHUP, 0};
                if (frozen || (poll(&p, 1, 0) > 0)) {
                    break;
                }
            }
            // The window ends the exchange: the connection reads as closed.
            pollfd p{fd, POLLIN, 0};
            char c = 0;
            if (poll(&p, 1, 30000) > 0 && recv(fd, &c, 1, 0) == 0) {
                closed = true;
            }
            close(fd);
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return closed.load() || frozen.load(); }, 60000));
        client.join();
        EXPECT_FALSE(frozen) << "the window stopped ticking while a client sent its path";
        EXPECT_TRUE(closed);
        // One deadline for the whole path: cut short long before its 211 bytes, although a
        // byte came every 400 ms.
        EXPECT_GT(sent.load(), 1);
        EXPECT_LT(sent.load(), 100);
        EXPECT_TRUE(opened.empty());
    });
}

}  // namespace
