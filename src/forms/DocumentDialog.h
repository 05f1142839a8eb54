// The base of every dialog that acts on one document: it keeps the host and
// the document, and shows itself centred on the main window.
#pragma once

#include <QDialog>

class Document;
class Host;

class DocumentDialog : public QDialog {
  Q_OBJECT
public:
  explicit DocumentDialog(Host *host);

  Document *Child() const { return child_; }
  Host *Owner() const { return main_; }

protected:
  void showEvent(QShowEvent *event) override;

  Host *main_;
  Document *child_ = nullptr;
};
