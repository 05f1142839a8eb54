// The kit's one-shot neighbourhood filters: the two edge extractions and
// emboss, each one edit-history entry.
#pragma once

class Document;
class Host;

enum class KitFilterKind { Roberts, Laplacian, Emboss };

void KitFilterCommand(Host *main, Document *child, KitFilterKind kind);
