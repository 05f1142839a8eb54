// "画像カタログの作成": the catalogue dialog of the browser. It collects the
// catalogue folder, columns, title, file name, thumbnail size and the link
// options, writes the catalogue and opens the page in the desktop's viewer.
#pragma once

#include "browser/BrowserOptions.h"
#include "browser/Catalogue.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QSpinBox;

class TAlbumForm : public QDialog {
  Q_OBJECT
public:
  // `folder`: the browser's folder, listed and proposed as the catalogue
  // folder; `source` gives the thumbnail the browser has of an image.
  TAlbumForm(QWidget *parent, const QString &folder, const BrowserOptions &options,
             ThumbSource source);

  // What opens the written page: by default the desktop's viewer. Tests put
  // a recorder in its place.
  using PageOpener = std::function<void(const QString &pagePath)>;
  static void SetPageOpener(PageOpener opener);

  // The settings as the controls hold them.
  CatalogueOptions Options() const;
  const CatalogueResult &Result() const { return result_; }

  QLineEdit *eFolder = nullptr;
  QSpinBox *seColumns = nullptr;
  QLineEdit *eTitle = nullptr;
  QLineEdit *eFileName = nullptr;
  QSpinBox *seThumbSize = nullptr;
  QButtonGroup *Links = nullptr; // 0 no links, 1 links
  QCheckBox *cbNoPath = nullptr;

public slots:
  void bFolderClick();
  void bOKClick();
  void LinksClick();

private:
  QString imageFolder_;
  BrowserOptions options_;
  ThumbSource source_;
  CatalogueResult result_;
};
