// The question asked before a save through a file dialog replaces files: which files count as
// replaced, and how the box names them and the earlier pages a set would remove.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "core/win1252.h"
#include "tests/support/temp_folder.h"
#include "ui/replace_question.h"

namespace vm {
namespace {

TEST(ReplaceQuestion, OnlyRegularFilesCountAsReplacedALinkByWhatItNames) {
    test::TempFolder folder("vm-substituir");
    const std::string dir = folder.path() + "/";
    std::ofstream(dir + "sala.qtv") << "x";
    ASSERT_EQ(::symlink("sala.qtv", (dir + "link.qtv").c_str()), 0);
    ASSERT_EQ(::symlink("nada.qtv", (dir + "solto.qtv").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir + "fifo.qtv").c_str(), 0600), 0);
    ::mkdir((dir + "pasta.qtv").c_str(), 0700);
    const std::vector<std::string> replaced =
        FilesToBeReplaced({dir + "sala.qtv", dir + "link.qtv", dir + "solto.qtv", dir + "fifo.qtv",
                           dir + "pasta.qtv", dir + "novo.qtv"});
    EXPECT_EQ(replaced, (std::vector<std::string>{dir + "sala.qtv", dir + "link.qtv"}));
}

TEST(ReplaceQuestion, NamesTheFilesReplacedAndTheEarlierPagesRemoved) {
    const std::string dir = "/home/ana/\xc3\x81rea de Trabalho/";  // UTF-8, as a path is
    const struct {
        std::vector<std::string> replaced;
        std::vector<std::string> removed;
        std::string text;  // UTF-8 here
    } cases[] = {
        {{}, {}, ""},
        {{dir + "Sal\xc3\xa3o Nobre.qtv"},
         {},
         "O arquivo \"Salão Nobre.qtv\" já existe em " + dir + ". Substituir?"},
        {{dir + "rel_0001.svg", dir + "rel_0002.svg"},
         {dir + "rel_0003.svg"},
         "Os arquivos \"rel_0001.svg\" e \"rel_0002.svg\" já existem em " + dir +
             ".\r\nA página \"rel_0003.svg\" do conjunto anterior, que o novo não tem, será "
             "apagada. Substituir?"},
        {{dir + "a_0001.png", dir + "a_0002.png", dir + "a_0003.png"},
         {dir + "a_0004.png", dir + "a_0005.png"},
         "Os arquivos \"a_0001.png\", \"a_0002.png\" e \"a_0003.png\" já existem em " + dir +
             ".\r\nAs páginas \"a_0004.png\" e \"a_0005.png\" do conjunto anterior, que o novo "
             "não tem, serão apagadas. Substituir?"},
        {{},
         {dir + "a_0002.png"},
         "A página \"a_0002.png\" do conjunto anterior, que o novo não tem, será apagada. "
         "Continuar?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReplaceQuestionText(c.replaced, c.removed), utf8ToWin1252(c.text));
    }
}

}  // namespace
}  // namespace vm
