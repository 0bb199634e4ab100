// The preview's writers pointed at what is no ordinary new file: its Salvar and the built-in
// "PDF" printer, with a FIFO nobody reads, a FIFO that is read, a bound socket and a device
// (through a link) as the file chosen. Each is refused at once with a box, the target stays as it
// was, and a timer ticks on throughout.
#include <fcntl.h>
#include <unistd.h>

#include <QDialog>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "preview_test_support.h"
#include "core/win1252.h"
#include "print/print_job.h"
#include "tests/support/odd_targets.h"
#include "tests/support/save_without_blocking.h"
#include "ui/qt_text.h"

namespace {

namespace fs = std::filesystem;

using PreviewTargetsTest = PreviewTest;

enum class Kind { Fifo, ReadFifo, Socket, Device };

TEST_F(PreviewTargetsTest, SalvarAndThePdfPrinterRefuseFifosSocketsAndDevicesAtOnce) {
    MakeJob(2);
    m_dialogs.dialogDriver = [](QDialog&, const std::string&) { return int(QDialog::Accepted); };
    const fs::path folder = vm::fromQtPath(Folder()) + "/alvos";
    fs::create_directory(folder);
    struct Writer {
        const char* name;
        const char* button;
    };
    ExpectOpened(RunPreview([&] {
        int n = 0;
        for (const Writer writer : {Writer{"Salvar", "b7"}, Writer{"Imprimir em PDF", "b12"}}) {
            for (const Kind kind : {Kind::Fifo, Kind::ReadFifo, Kind::Socket, Kind::Device}) {
                const fs::path target = folder / ("saída" + std::to_string(++n) + ".pdf");
                SCOPED_TRACE(std::string(writer.name) + " " + target.filename().string());
                std::optional<vm::test::BoundSocket> socket;
                int reader = -1;
                if (kind == Kind::Fifo || kind == Kind::ReadFifo) {
                    ASSERT_TRUE(vm::test::MakeFifo(target));
                    if (kind == Kind::ReadFifo) {
                        reader = open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
                    }
                } else if (kind == Kind::Socket) {
                    socket.emplace(target);
                    ASSERT_TRUE(socket->Bound());
                } else {
                    // A device that never ends: a PDF read back from it would be read for ever.
                    fs::create_symlink("/dev/zero", target);
                }
                m_dialogs.fileAnswers.push_back(target.string());
                const size_t boxes = m_dialogs.messageLog().size();
                SaveWithoutBlocking(
                    [&] { QTest::mouseClick(BarButton(writer.button), Qt::LeftButton); },
                    kind == Kind::Fifo ? target.string() : std::string());
                const auto log = m_dialogs.messageLog();
                ASSERT_EQ(log.size(), boxes + 1);
                EXPECT_NE(log.back().find(vm::utf8ToWin1252("não é um arquivo comum")), std::string::npos) << log.back();
                if (reader >= 0) {
                    char got[16];
                    EXPECT_EQ(read(reader, got, sizeof got), 0) << "the reader got bytes";
                    close(reader);
                }
                if (kind == Kind::Device) {
                    EXPECT_EQ(fs::read_symlink(target), "/dev/zero");
                } else {
                    EXPECT_EQ(fs::symlink_status(target).type(),
                              kind == Kind::Socket ? fs::file_type::socket : fs::file_type::fifo);
                }
            }
        }
        // Nothing beside the targets (the two sockets went with their objects).
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), n - 2);
    }));
}

}  // namespace
