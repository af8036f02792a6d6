// The Language page: the system's language first, then every language in
// its own name, each drawn with its own face.

#include <string>

#include "render/panel_drawing.h"
#include "render/shell_panels.h"

namespace quarvex {

void draw_language_page(Device& d, const Shell& shell) {
  const Texts& texts = shell.texts();
  const LanguageSet& languages = shell.languages();
  const LanguagePage& page = shell.language_page();
  const int rows = page.rows();
  panel(d, 160, 120, 480, 168 + rows * 32);
  centred(d, texts.tr("Language"), line_box(170, 130, 470), kHighlight);
  for (int row = 0; row < rows; ++row) {
    const bool chosen = row == page.row();
    const TextRect box = line_box(170, 170 + row * 32, 470);
    std::string label;
    if (row == 0) {
      label = texts.trf("System language ({language})",
                        {{"language", languages.own_name(shell.system_language())}});
    } else {
      label = languages.own_name(row - 1);
      d.set_text_face(languages.at(row - 1).face);
    }
    centred(d, chosen ? "> " + label + " <" : label, box, chosen ? kHighlight : kWhite);
    d.set_text_face(texts.face());
  }
}

}  // namespace quarvex
