#include "bench/emf/bench_emf_page.h"

#include <string>

#include "core/whole_file.h"

namespace vm::bench {

NamedImageSource ReportImages() {
    NamedImageSource images;
    const std::string root = VM_SOURCE_DIR;
    const std::string fallback = root + "/tests/pagefile/data/seat.jpg";
    if (!images.Add("assento", ReadWholeFileBytes(root + "/resources/images/assento.pbm"))) {
        images.Add("assento", ReadWholeFileBytes(fallback));
    }
    if (!images.Add("fila", ReadWholeFileBytes(root + "/resources/images/fila.pbm"))) {
        images.Add("fila", ReadWholeFileBytes(fallback));
    }
    return images;
}

void DrawFullPage(Canvas& canvas) {
    canvas.PrintText(12, 20, "Relat\xf3rio de C\xe1lculo - Vistametra 1.05",
                     {.fontName = "Arial", .size = 14, .bold = true});
    canvas.PrintText(12, 190, "P\xe1gina 1",
                     {.fontName = "Arial", .size = 8, .alignment = "RIGHT"});
    for (int line = 0; line < 40; ++line) {
        canvas.PrintText(20 + line * 1.8, 20,
                         "Detalhes  >   L:  3.70 m    A:  2.08 m    D:  168.12\"   /   Fonte "
                         "minima recomendada:  29 pixels.",
                         {.fontName = "Arial", .size = 6});
        canvas.PrintLine(95 + line, 23, 150, 40 + line * 3, 0.1, {0, 0, 255});
    }
    canvas.PrintTextBox(
        90, 25, 100, 190,
        "Nesta configura\xe7\xe3o, para uma perfeita visualiza\xe7\xe3o dos textos, "
        "pelos ocupantes da \xfaltima fileira de assentos, as apresenta\xe7\xf5"
        "es devem usar fontes com no minimo 29 pixels. ( Arial 29 pixels com zoom "
        "a 100%. )",
        {.fontName = "Arial", .size = 9});
    canvas.PrintRectangle(95, 20, 140, 190, 0.2);
    for (int row = 0; row < 7; ++row) {
        canvas.PrintImage("assento", 120, 40 + row * 20, 14, 9);
        for (int seat = 0; seat < 6; ++seat) {
            canvas.PrintImage("fila", 160 + seat * 8, 40 + row * 20, 7, 9);
        }
    }
    canvas.PrintRectangle(155, 20, 210, 190, 0.2);
}

}  // namespace vm::bench
