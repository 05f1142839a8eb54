#include "forms/Command.h"

#include "forms/Document.h"

#include <cstring>

bool KindFits(Needs needs, int bits, bool grey) {
  switch (needs) {
  case Needs::Document: return true;
  case Needs::FullColour: return bits >= 16;
  case Needs::Palette: return bits < 16;
  case Needs::ColourOrGrey8: return bits >= 16 || (bits >= 8 && grey);
  case Needs::Grey8: return bits >= 8 && grey;
  case Needs::ColourPalette: return bits >= 4 && !grey;
  case Needs::AtLeast8: return bits >= 8;
  }
  return false;
}

bool Fits(Needs needs, const Document *document) {
  return document && document->Picture() && KindFits(needs, document->BitCount(), document->Grey());
}

void Execute(const Command &command, Host *host, Document *document) {
  if (!command.run || !Fits(command.needs, document)) return;
  command.run(host, document);
}

bool ExecutePreset(const Command &command, const char *button, Host *host, Document *document) {
  for (const OneClick &preset : command.presets) {
    if (std::strcmp(preset.button, button) != 0) continue;
    if (command.runPreset && Fits(command.needs, document))
      command.runPreset(host, document, preset.value);
    return true;
  }
  return false;
}
