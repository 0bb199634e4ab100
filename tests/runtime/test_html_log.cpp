// The HTML error log's writers: head, lines, rule, end, and how an existing log grows.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "core/whole_file.h"
#include "runtime/html_log.h"
#include "tests/runtime/runtime_fixture.h"

namespace vm::test {
namespace {

class HtmlLogTest : public RuntimeTest {};

const std::string kHead1 =
    "<HTML><HEAD><TITLE>Vistametra Runtime Errorlog File</TITLE></HEAD><style> body{ font-family: "
    "sans-serif;background-color: #ffffff;font-size: 75%;color: #000000;}h1{font-family: "
    "sans-serif;font-size: 150%;color: #0000cc;font-weight: bold;background-color: "
    "#f0f0f0;}.updated{font-family: sans-serif;color: #cc0000;font-size: "
    "110%;}.normaltext{font-family: sans-serif;font-size: 100%;color: #000000;font-weight: "
    "normal;text-transform: none;text-decoration: none;}</style><BODY>\r\n";

TEST_F(HtmlLogTest, NewLogHasHeadRuleLinesAndEnd) {
    SetFormLayerVersionText("Forms 2.0 <Qt>");
    const int handle = HTML_ErrorLog();
    ASSERT_GT(handle, 0);
    HTML_LineText(handle, "one");
    HTML_End(handle);

    EXPECT_EQ(ReadWholeFile("qtv.htm"),
              kHead1 +
                  "<H1 Align=Center>Vistametra Runtime Errorlog File<br>Forms 2.0 &lt;Qt&gt;"
                  "</H1><BR>\r\n"
                  "<HR>\r\n"
                  "one<BR>\r\n"
                  "</BODY></HTML>");
    SetFormLayerVersionText("Vistametra Forms 1.05");
}

TEST_F(HtmlLogTest, LineTextTrimsBlanksEscapesAndKeepsLineEnd) {
    struct Case {
        const char* text;
        const char* written;
    };
    const Case cases[] = {
        {"plain", "plain<BR>\r\n"},
        {"trailing   ", "trailing<BR>\r\n"},
        {"   leading", "   leading<BR>\r\n"},
        {"", "<BR>\r\n"},
        {"   ", "<BR>\r\n"},
        {"ends in CR LF\r\n", "ends in CR LF\r\n<BR>\r\n"},
        {"blanks before CR LF  \r\n", "blanks before CR LF  \r\n<BR>\r\n"},
        {"tab stays\t", "tab stays\t<BR>\r\n"},
        {"a<b>&c", "a&lt;b&gt;&amp;c<BR>\r\n"},
        {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;<BR>\r\n"},
        {"&amp;", "&amp;amp;<BR>\r\n"},
        {"\"quotes\" 'stay'", "\"quotes\" 'stay'<BR>\r\n"},
        {"Acentua\xE7\xE3o", "Acentua\xE7\xE3o<BR>\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::filesystem::remove("line.htm");
        const int handle = ::open("line.htm", O_RDWR | O_CREAT | O_TRUNC, 0644);
        ASSERT_GT(handle, 0);
        HTML_LineText(handle, c.text);
        ::close(handle);
        EXPECT_EQ(ReadWholeFile("line.htm"), c.written);
    }
}

TEST_F(HtmlLogTest, MarkupLineEscapesOnlyTheText) {
    const int handle = ::open("markup.htm", O_RDWR | O_CREAT | O_TRUNC, 0644);
    ASSERT_GT(handle, 0);
    HTML_MarkupLine(handle, "<p class=\"updated\">", "Application: /a&b/<x>   ", "");
    HTML_MarkupLine(handle, "", "Error X/1  <y>", "</p>");
    ::close(handle);
    EXPECT_EQ(ReadWholeFile("markup.htm"),
              "<p class=\"updated\">Application: /a&amp;b/&lt;x&gt;<BR>\r\n"
              "Error X/1  &lt;y&gt;</p><BR>\r\n");
}

TEST_F(HtmlLogTest, ExistingLogIsAppendedAfterItsEndWithoutSecondHead) {
    int handle = HTML_ErrorLog();
    HTML_LineText(handle, "first");
    HTML_Line(handle);
    HTML_End(handle);
    const std::string afterFirst = ReadWholeFile("qtv.htm");

    handle = HTML_ErrorLog();
    ASSERT_GT(handle, 0);
    HTML_LineText(handle, "second");
    HTML_Line(handle);
    HTML_End(handle);

    EXPECT_EQ(ReadWholeFile("qtv.htm"), afterFirst + "second<BR>\r\n<HR>\r\n</BODY></HTML>");
    EXPECT_EQ(Count(ReadWholeFile("qtv.htm"), "<HTML><HEAD>"), 1);
}

TEST_F(HtmlLogTest, LogThatCannotBeCreatedShowsTheBoxAndGivesNoHandle) {
    SetErrorLogFile("missing-folder/qtv.htm");
    EXPECT_EQ(HTML_ErrorLog(), -1);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, "Can`t open errorlog file missing-folder/qtv.htm");
    EXPECT_EQ(m_boxes[0].title, "Error");
}

TEST_F(HtmlLogTest, ExistingLogThatCannotBeOpenedIsSilent) {
    // A folder of that name exists but cannot be opened for writing (root ignores file modes,
    // so a folder is the way to make the open fail here).
    ASSERT_TRUE(std::filesystem::create_directory("qtv.htm"));
    EXPECT_EQ(HTML_ErrorLog(), -1);
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(HtmlLogTest, SwitchOffTouchesNoFileAndWritersIgnoreBadHandles) {
    SetErrorLogOn(false);
    EXPECT_EQ(HTML_ErrorLog(), -1);
    EXPECT_EQ(HTML_Ini("other.htm", "T"), -1);
    EXPECT_FALSE(FileExists("qtv.htm"));
    EXPECT_FALSE(FileExists("other.htm"));
    SetErrorLogOn(true);

    // Handles not above 0 write nothing (0 would be standard input).
    HTML_LineText(-1, "x");
    HTML_LineText(0, "x");
    HTML_Line(-1);
    HTML_End(-1);
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(HtmlLogTest, EmptyNameRestoresTheEarlyStartUpName) {
    SetErrorLogFile("");
    EXPECT_EQ(ErrorLogFile(), "Vistametra.htm");
    SetErrorLogFile("Vistametra.htm");
    EXPECT_EQ(ErrorLogFile(), "Vistametra.htm");
}

}  // namespace
}  // namespace vm::test
