// The main window's menus, toolbar rows, guidance pages and panels, built
// from tables: one row per menu item, speed button and guidance label.
#include "app/Icons.h"
#include "app/MainForm.h"
#include "app/Toolbars.h"

#include <QActionGroup>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScrollArea>
#include <QShortcut>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/MDIChild.h"

namespace {

using Handler = void (TMainForm::*)();

enum MenuFlag : unsigned {
  Hidden = 1,
  Disabled = 2,
  Checked = 4,
  Checkable = 8,
  ZoomGroup = 16,    // the seven zoom steps: one radio group
  PreviewGroup = 32, // thumbnail or area preview: one radio group
  Sub = 64,          // opens a submenu
};

struct MenuItem {
  const char *name;
  const char *parent;  // null for the menus of the bar
  const char *caption; // null for a separator
  const char *shortcut;
  const char *hint;
  Handler handler;
  unsigned flags;
};

// In menu order; an item's parent always comes before it.
const MenuItem kMenu[] = {
    {"File1", nullptr, "ﾌｧｲﾙ(&F)", "", "", nullptr, Sub},
    {"mBrowse", "File1", "ｲﾒｰｼﾞﾌﾞﾗｳｻﾞ起動/終了(&B)", "Ctrl+B", "", &TMainForm::mBrowseClick, 0},
    {"NewImg", "File1", "新規作成(&N)", "", "", nullptr, Sub},
    {"FileNewItem", "NewImg", "色付台紙作成(&N)", "", "新規ﾌｧｲﾙの作成",
     &TMainForm::FileNewItemClick, 0},
    {"TextImg", "NewImg", "文字画像作成(&T)", "", "", &TMainForm::TextImgClick, 0},
    {"mNewTex", "NewImg", "素材感台紙作成(&M)", "", "", nullptr, Hidden},
    {"FileOpenItem", "File1", "画像ﾌｧｲﾙを開く(&O)", "Ctrl+O", "既存のﾌｧｲﾙを開く",
     &TMainForm::FileOpenItemClick, 0},
    {"mReload", "File1", "画像ﾌｧｲﾙから再読込(&L)", "", "", &TMainForm::mReloadClick, 0},
    {"mWallOpen", "File1", "VELMIR保存の壁紙を開く(&W)", "",
     "ＶＥＬＭＩＲが保存した壁紙画像を編集する", &TMainForm::mWallOpenClick, 0},
    {"FileCloseItem", "File1", "閉じる(&C)", "Ctrl+E", "ﾌｧｲﾙを閉じる",
     &TMainForm::FileCloseItemClick, 0},
    {"mCloseAll", "File1", "全画像を閉じる(&Q)", "", "", &TMainForm::mCloseAllClick, 0},
    {"FileSaveItem", "File1", "上書き保存(&S)", "Ctrl+S", "ﾌｧｲﾙを保存する",
     &TMainForm::FileSaveItemClick, 0},
    {"FileSaveAsItem", "File1", "名前を付けて保存(&A)...", "Ctrl+R", "ﾌｧｲﾙに別の名前を付けて保存",
     &TMainForm::FileSaveAsItemClick, 0},
    {"mDeleteFile", "File1", "編集画像の元ﾌｧｲﾙを削除(&D)", "", "", &TMainForm::mDeleteFileClick, 0},
    {"N1", "File1", nullptr, "", "", nullptr, 0},
    {"mTwain", "File1", "TWAIN機器からの入力(&T)", "",
     "デジカメ、スキャナなどのＴＷＡＩＮ機器から画像を取込む", nullptr, Sub},
    {"mSScan", "mTwain", "単一画像のｽｷｬﾝ(&S)", "", "１枚の画像をＴＷＡＩＮ機器から取込む",
     &TMainForm::mSScanClick, 0},
    {"mMScan", "mTwain", "複数画像の一括ｽｷｬﾝ(&M)", "", "複数の画像を一度に取込む",
     &TMainForm::mMScanClick, 0},
    {"mTSelect", "mTwain", "TWAIN機器の選択(&T)", "", "ＴＷＡＩＮ機器を選択する",
     &TMainForm::mTSelectClick, 0},
    {"N4", "File1", nullptr, "", "", nullptr, Hidden},
    {"mPrint", "File1", "印刷(&P)", "Ctrl+P", "画像を印刷する", &TMainForm::mPrintClick, 0},
    {"N5", "File1", nullptr, "", "", nullptr, 0},
    {"mOption", "File1", "ｵﾌﾟｼｮﾝ設定(&E)", "", "各種の動作方法を設定する", &TMainForm::mOptionClick,
     0},
    {"FileExitItem", "File1", "終了(&X)", "", "アプリケーションの終了",
     &TMainForm::FileExitItemClick, 0},
    {"Edit1", nullptr, "編集(&E)", "", "", nullptr, Sub},
    {"CutItem", "Edit1", "切り取り(&T)", "Ctrl+X", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞへ切り取り", &TMainForm::CutItemClick,
     0},
    {"CopyItem", "Edit1", "ｺﾋﾟｰ(&C)", "Ctrl+C", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ", &TMainForm::CopyItemClick, 0},
    {"PasteItem", "Edit1", "新規画像として貼付(&P)", "Ctrl+V", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞから貼り付け",
     &TMainForm::PasteItemClick, 0},
    {"mGousei", "Edit1", "現在の画像中に合成貼付(&M)", "", "", &TMainForm::mGouseiClick, 0},
    {"N3", "Edit1", nullptr, "", "", nullptr, 0},
    {"Undo1", "Edit1", "元に戻す(&Z)", "Ctrl+Z", "編集前の状態に戻す", &TMainForm::Undo1Click, 0},
    {"N8", "Edit1", nullptr, "", "", nullptr, 0},
    {"mClearClipboard", "Edit1", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞ内容を消去(&D)", "",
     "クリップボードのメモリ内容を消去する", &TMainForm::mClearClipboardClick, 0},
    {"mClearUndo", "Edit1", "「元に戻す」の記録を消去(&E)", "",
     "ＵＮＤＯバッファのメモリ内容を消去する", &TMainForm::mClearUndoClick, 0},
    {"Image1", nullptr, "画像編集(&I)", "", "", nullptr, Sub},
    {"mColor", "Image1", "色の調整(&C)", "", "色の調整に関するコマンド", nullptr, Sub},
    {"mYUV", "mColor", "ＹＵＶによる色補正(&Y)", "", "ＹＵＶ座標を用いた色調整", nullptr, 0},
    {"RBG1", "mColor", "ＲＧＢによる色補正(&C)", "", "ＲＧＢ座標を用いた色調整", nullptr, 0},
    {"mSaido", "mColor", "彩度調整(&H)", "", "彩度の調整", nullptr, 0},
    {"mShikisou", "mColor", "色相変更(&T)", "", "色相を変更する", nullptr, 0},
    {"mGray", "mColor", "ｸﾞﾚｰｽｹｰﾙ化(G)", "", "グレースケールに変換", nullptr, 0},
    {"mSepia", "mColor", "ｾﾋﾟｱ色化(&S)", "", "セピア調に変換", nullptr, 0},
    {"mReverse", "mColor", "色反転(&R)", "", "ネガ／ポジの反転", nullptr, 0},
    {"mTone", "Image1", "明るさの調整(&T)", "", "明るさの調整に関するコマンド", nullptr, Sub},
    {"mBright", "mTone", "輝度調整(&B)", "", "輝度（明るさ）を調整", nullptr, 0},
    {"mContrast", "mTone", "ｺﾝﾄﾗｽﾄ調整(&C)", "", "コントラストを調整", nullptr, 0},
    {"G1", "mTone", "ｶﾞﾝﾏ補正(&G)", "", "入出力機器に合わせた中間輝度の補正", nullptr, 0},
    {"mVariation", "Image1", "ﾊﾞﾘｴｰｼｮﾝ(&V)", "", "バリエーション表示による各種の調整", nullptr,
     Sub},
    {"V1", "mVariation", "ｶﾗｰﾊﾞﾘｴｰｼｮﾝ(&V)", "", "ＹＵＶをバリエーションで調整", nullptr, 0},
    {"mGVar", "mVariation", "ｶﾞﾝﾏﾊﾞﾘｴｰｼｮﾝ(&Z)", "", "ガンマをバリエーションで補正", nullptr, 0},
    {"S1", "mVariation", "彩度ﾊﾞﾘｴｰｼｮﾝ(&S)", "", "彩度をバリエーションで調整", nullptr, 0},
    {"B1", "mVariation", "輝度ﾊﾞﾘｴｰｼｮﾝ(&B)", "", "輝度をバリエーションで調整", nullptr, 0},
    {"C1", "mVariation", "ｺﾝﾄﾗｽﾄﾊﾞﾘｴｰｼｮﾝ(&C)", "", "コントラストをバリエーションで調整", nullptr,
     0},
    {"mHistFunc", "Image1", "ﾋｽﾄｸﾞﾗﾑ調整(&H)", "", "ヒストグラムを用いた調整", nullptr, 0},
    {"mDither", "Image1", "減色処理(&D)", "", "各種の手法で画像の色数を減らす", nullptr, 0},
    {"mIncColor", "Image1", "ﾊﾟﾚｯﾄ色数を増加(I)", "", "画像の格納可能色数を増やす", nullptr, 0},
    {"N2", "Image1", nullptr, "", "", nullptr, 0},
    {"mResize", "Image1", "拡大／縮小(&S)", "", "画像を拡大／縮小する", nullptr, Sub},
    {"mBitBlt", "mResize", "通常法での拡大/縮小(&N)", "", "通常の手法で拡大／縮小", nullptr, 0},
    {"mHQSmall", "mResize", "高画質拡大/縮小 [ｵｰﾊﾞｰｻﾝﾌﾟﾘﾝｸﾞ](&O)", "",
     "アンチエイアシング機能を用いた拡大／縮小（フルカラーのみ可）", nullptr, 0},
    {"mHQLarge", "mResize", "高画質拡大/縮小 [2次元線形補間](&L)", "",
     "線形補完法を用いた拡大／縮小（フルカラーのみ可）", nullptr, 0},
    {"mSmall", "Image1", "切取(&U)", "", "画像を切取る", nullptr, 0},
    {"mRotateMain", "Image1", "回転／反転(&R)", "", "", nullptr, Sub},
    {"mRotate", "mRotateMain", "回転／反転(&R)", "", "画像の回転／反転を行う", nullptr, 0},
    {"mRotateEx", "mRotateMain", "任意角度の回転(&E)", "", "", nullptr, 0},
    {"N10", "Image1", nullptr, "", "", nullptr, 0},
    {"mFilter", "Image1", "画質調整(&F)", "", "各種の画質調整コマンド", nullptr, Sub},
    {"mSoften", "mFilter", "ソフト化(&S)", "", "画質をソフト化／ノイズ除去", nullptr, 0},
    {"mSharp", "mFilter", "シャープ化(&E)", "", "画像の輪郭を強調します", nullptr, 0},
    {"mMedian", "mFilter", "ノイズ除去［ﾒﾃﾞｨｱﾝﾌｨﾙﾀ](&N)", "", "", nullptr, 0},
    {"mBX", "mFilter", "水平方向のぼかし(&X)", "", "", nullptr, Hidden},
    {"mBY", "mFilter", "垂直方向のぼかし(&Y)", "", "", nullptr, Hidden},
    {"mSpSoften1", "mFilter", "境界以外のみｿﾌﾄ化(&P)", "", "", nullptr, Hidden},
    {"mSpSoften2", "mFilter", "境界部分のみソフト化(&L)", "", "", nullptr, Hidden},
    {"mAspect", "Image1", "解像度補正(&D)", "", "ＣＲＴ解像度の補正を行う", nullptr, Sub},
    {"m54", "mAspect", "4:3画面用画像を5:4画面用に補正(&1)", "", "", nullptr, 0},
    {"m43", "mAspect", "5:4画面用画像を4:3画面用に補正(&2)", "", "", nullptr, 0},
    {"mLetter", "Image1", "文字入れ(&L)", "", "", nullptr, 0},
    {"mExp", nullptr, "ﾌｫﾄｴｷｽﾊﾟｰﾄ(&X)", "", "", nullptr, Sub},
    {"mAuto1", "mExp", "輝度・ｺﾝﾄﾗｽﾄを自動補正(&A)", "", "輝度とコントラストを同時に自動補正",
     nullptr, 0},
    {"mAuto2", "mExp", "輝度・ｺﾝﾄﾗｽﾄ・ｶﾗｰﾊﾞﾗﾝｽを自動補正(&C)", "",
     "輝度、コントラスト、カラーバランスを同時に自動補正", nullptr, 0},
    {"BS1", "mExp", "ﾉｲｽﾞ取り名人Ａ(&N)", "", "画像のディテールを極力残してノイズを除去|", nullptr,
     0},
    {"mScanNoise", "mExp", "ﾉｲｽﾞ取り名人Ｂ(&M)", "", "画像のディテールを極力残してノイズを除去|",
     nullptr, 0},
    {"N11", "mExp", nullptr, "", "", nullptr, 0},
    {"S3", "mExp", "絵画・イラスト調画像の作成(&S)", "", "", nullptr, 0},
    {"N18", "mExp", nullptr, "", "", nullptr, 0},
    {"mAutoCustom", "mExp", "自動補正方法のｶｽﾀﾏｲｽﾞ(&P)", "", "", &TMainForm::mAutoCustomClick, 0},
    {"mArtist", nullptr, "ｱｰﾃｨｽﾄ(&A)", "", "", nullptr, Sub},
    {"mKyocho", "mArtist", "特定色相の強調(&S)", "", "", nullptr, 0},
    {"mTex", "mArtist", "ﾃｸｽﾁｬｰ効果(&T)", "", "各種のテクスチャー効果を与えます", nullptr, 0},
    {"mSpecial", "mArtist", "特殊処理(&A)", "", "特殊な処理", nullptr, Sub},
    {"mMozaic", "mSpecial", "ﾓｻﾞｲｸ(&M)", "", "", nullptr, 0},
    {"mEmboss", "mSpecial", "ｴﾝﾎﾞｽ(&E)", "", "", nullptr, 0},
    {"mRoberts", "mSpecial", "輪郭抽出：ﾛﾊﾞｰﾂ法(&R)", "", "", nullptr, 0},
    {"mLapratian", "mSpecial", "輪郭抽出：ﾗﾌﾟﾗｼｱﾝ法(&L)", "", "", nullptr, 0},
    {"N17", "mArtist", nullptr, "", "", nullptr, 0},
    {"mLenz", "mArtist", "ｽﾎﾟｯﾄﾌｨﾙﾀｰ(&F)", "", "各種のフィルター", nullptr, Sub},
    {"mSandSpot", "mLenz", "ﾀﾞｽﾄｽﾎﾟｯﾄ(&D)", "", "", nullptr, 0},
    {"P1", "mLenz", "ｿﾌﾄｽﾎﾟｯﾄ(&S)", "", "", nullptr, 0},
    {"S2", "mLenz", "ﾎﾜｲﾄｽﾎﾟｯﾄ(&W)", "", "", nullptr, 0},
    {"mLitening", "mArtist", "照明効果(&L)", "", "各種の照明効果を与える", nullptr, 0},
    {"mNoiz", "mArtist", "ﾉｲｽﾞ付与(&N)", "", "", nullptr, 0},
    {"N16", "mArtist", nullptr, "", "", nullptr, 0},
    {"mBorder", "mArtist", "写真枠作成(&B)", "", "各種の写真枠を作成する", nullptr, Sub},
    {"mFadeOut", "mBorder", "ﾌｪｲﾄﾞｱｳﾄ枠(&F)", "", "画面端にフェイドアウトする枠の作成", nullptr, 0},
    {"mTrans", "mBorder", "半透明枠(&T)", "", "半透明な枠の作成", nullptr, 0},
    {"W1", "mBorder", "波枠(&W)", "", "波型の枠の作成", nullptr, 0},
    {"bButtonFrame", "mBorder", "立体枠(&B)", "", "", nullptr, 0},
    {"C2", "mBorder", "楕円枠(&C)", "", "", nullptr, 0},
    {"mSotowaku", "mArtist", "外枠作成(&O)", "", "", nullptr, 0},
    {"mKika", "mArtist", "幾何学ﾌｨﾙﾀ-(&F)", "", "", nullptr, Sub},
    {"mNami", "mKika", "波紋(&W)", "", "", nullptr, 0},
    {"mUzu", "mKika", "渦巻(&C)", "", "", nullptr, 0},
    {"mGlass", "mKika", "透かしｶﾞﾗｽ(&G)", "", "", nullptr, 0},
    {"R1", "mKika", "３次元回転(&R)", "", "", nullptr, Hidden | Disabled},
    {"Show1", nullptr, "表示(&V)", "", "", nullptr, Sub},
    {"N9", "Show1", "ｽﾞｰﾑ(&Z)", "", "", nullptr, Sub},
    {"N12", "N9", "ｽﾞｰﾑｲﾝ(I)", "", "", &TMainForm::sbZoomInClick, 0},
    {"O1", "N9", "ｽﾞｰﾑｱｳﾄ(&O)", "", "", &TMainForm::sbZoomOutClick, 0},
    {"mZoom", "Show1", "表示倍率(&B)", "", "表示倍率を変更する", nullptr, Sub},
    {"Disp200", "mZoom", "２００％(&1)", "", "", &TMainForm::Disp200Click, ZoomGroup},
    {"Disp150", "mZoom", "１５０％(&2)", "", "", &TMainForm::Disp150Click, ZoomGroup},
    {"Disp100", "mZoom", "１００％(&3)", "", "", &TMainForm::Disp100Click, ZoomGroup},
    {"Disp75", "mZoom", "７５％(&4)", "", "", &TMainForm::Disp75Click, ZoomGroup},
    {"Disp50", "mZoom", "５０％(&5)", "", "", &TMainForm::Disp50Click, ZoomGroup},
    {"Disp33", "mZoom", "３３％(&6)", "", "", &TMainForm::Disp33Click, ZoomGroup},
    {"Disp25", "mZoom", "２５％(&7)", "", "", &TMainForm::Disp25Click, ZoomGroup},
    {"DispStrech", "Show1", "全画面に表示(&A)", "Ctrl+F", "編集中の画像を画面全体に表示する",
     &TMainForm::DispStrechClick, 0},
    {"N13", "Show1", "画像切替(&C)", "", "", nullptr, Sub | Disabled},
    {"N14", "N13", "次画像(&N)", "", "", nullptr, 0},
    {"B2", "N13", "前画像(&B)", "", "", nullptr, 0},
    {"N15", "Show1", nullptr, "", "", nullptr, 0},
    {"mHistgram", "Show1", "ﾋｽﾄｸﾞﾗﾑ(&H)", "", "ヒストグラムを表示する", nullptr, 0},
    {"mPreviewArea", "Show1", "ﾌﾟﾚﾋﾞｭｰ表示(&P)", "", "プレビュー方法を切り替える", nullptr, Sub},
    {"mSambNail", "mPreviewArea", "ｻﾑﾈｲﾙを表示(&S)", "", "画面全体を縮小してプレビュー",
     &TMainForm::mSambNailClick, Checked | PreviewGroup},
    {"mArea", "mPreviewArea", "選択領域を表示(&A)", "", "指定領域を実寸でプレビュー",
     &TMainForm::mAreaClick, PreviewGroup},
    {"N6", "Show1", nullptr, "", "", nullptr, 0},
    {"mWall", "Show1", "壁紙に設定(&W)", "", "編集中の画像を壁紙に設定する", nullptr, Sub},
    {"mCenter", "mWall", "中央に表示(&C)", "", "画面中央に表示する壁紙として登録",
     &TMainForm::mCenterClick, 0},
    {"mTile", "mWall", "タイル表示(&T)", "", "画面全体にタイル状表示する壁紙として登録する",
     &TMainForm::mCenterClick, 0},
    {"SpeedButton15", "mWall", "壁紙作成(&M)...", "",
     "壁紙作成|範囲を選んで壁紙や起動画面を作成する", nullptr, 0},
    {"N7", "Show1", nullptr, "", "", nullptr, 0},
    {"ToolBar1", "Show1", "ﾂｰﾙﾊﾞｰ(&T)", "", "", nullptr, Sub},
    {"N21", "ToolBar1", "2行目表示／非表示(&2)", "", "", &TMainForm::sbToolClick, 0},
    {"C3", "ToolBar1", "ｶｽﾀﾏｲｽﾞ(&C)", "", "", &TMainForm::C3Click, 0},
    {"mCrossLine", "Show1", "ｸﾛｽﾗｲﾝｶｰｿﾙ(&R)", "", "", nullptr, Checked | Checkable},
    {"mBeginner", "Show1", "ｶﾞｲﾀﾞﾝｽ画面へ(&G)", "", "ガイダンスメニュー画面へ移行する",
     &TMainForm::mBeginnerClick, 0},
    {"Window1", nullptr, "ｳｨﾝﾄﾞｳ(&W)", "", "", nullptr, Sub},
    {"WindowCascadeItem", "Window1", "重ねて表示(&C)", "", "ｳｨﾝﾄﾞｳを重なりあうように並べ直す",
     &TMainForm::WindowCascadeItemClick, 0},
    {"WindowTileItem", "Window1", "並べて表示(&T)", "", "ｳｨﾝﾄﾞｳを重ならないように並べ直す",
     &TMainForm::WindowTileItemClick, 0},
    {"WindowArrangeItem", "Window1", "ｱｲｺﾝの整列(&A)", "", "ｱｲｺﾝをｳｨﾝﾄﾞｳの下に並べ直す",
     &TMainForm::WindowArrangeItemClick, 0},
    {"WindowMinimizeItem", "Window1", "すべてをｱｲｺﾝ化(&M)", "", "すべてのｳｨﾝﾄﾞｳをｱｲｺﾝ状態にする",
     &TMainForm::WindowMinimizeItemClick, 0},
    {"Help1", nullptr, "ﾍﾙﾌﾟ(&H)", "", "", nullptr, Sub},
    {"mHelp", "Help1", "VELMIRのヘルプ(&H)", "", "ＶＥＬＭＩＲのヘルプを表示する",
     &TMainForm::mHelpClick, 0},
    {"HelpAboutItem", "Help1", "ﾊﾞｰｼﾞｮﾝ情報(&A)", "", "ＶＥＬＭＩＲのバージョン情報を表示する",
     &TMainForm::HelpAboutItemClick, 0},
};

enum GuideKind { Title, Heading, Tip, Link };

struct GuideEntry {
  const char *page;
  GuideKind kind;
  const char *text;
  const char *command; // handler name, for links that run a command
  const char *target;  // for links that switch the page
};

const char *const kGuidePages[] = {"gdMenu",   "ReadFile",   "EditPhoto", "EditScan",
                                   "SaveFile", "EditManual", "Artist"};

const GuideEntry kGuide[] = {
    // Top page
    {"gdMenu", Title, "ガイダンスメニュー", nullptr, nullptr},
    {"gdMenu", Heading, "基本的なフォトレタッチ", nullptr, nullptr},
    {"gdMenu", Link, "１．画像を読込む", nullptr, "ReadFile"},
    {"gdMenu", Link, "２．デジカメ写真を綺麗にする", nullptr, "EditPhoto"},
    {"gdMenu", Link, "３．スキャナ写真を綺麗にする", nullptr, "EditScan"},
    {"gdMenu", Link, "４．画像を保存する", nullptr, "SaveFile"},
    {"gdMenu", Heading, "応用テクニック", nullptr, nullptr},
    {"gdMenu", Link, "５．マニュアルで画像編集する", nullptr, "EditManual"},
    {"gdMenu", Link, "６．ちょっと凝った写真にする", nullptr, "Artist"},
    {"gdMenu", Heading, "その他", nullptr, nullptr},
    {"gdMenu", Link, "通常画面に戻る", "Label2Click", nullptr},
    {"gdMenu", Link, "VELMIRを終了する", "FileExitItemClick", nullptr},
    // Reading images
    {"ReadFile", Title, "画像を読込む", nullptr, nullptr},
    {"ReadFile", Heading, "ファイルから読込む場合", nullptr, nullptr},
    {"ReadFile", Link, "１．ファイルから読込む", "FileOpenItemClick", nullptr},
    {"ReadFile", Heading, "スキャナ・デジカメから取込む場合", nullptr, nullptr},
    {"ReadFile", Link, "２－１．機器を選択します", "mTSelectClick", nullptr},
    {"ReadFile", Link, "２－２．画像を取込みます", "mSScanClick", nullptr},
    {"ReadFile", Heading, "表示の大きさを変える", nullptr, nullptr},
    {"ReadFile", Link, "縮小表示", "sbZoomOutClick", nullptr},
    {"ReadFile", Link, "拡大表示", "sbZoomInClick", nullptr},
    // Digital camera photos
    {"EditPhoto", Title, "デジカメ写真を綺麗にする", nullptr, nullptr},
    {"EditPhoto", Heading, "ステップ１．自動レタッチを試す", nullptr, nullptr},
    {"EditPhoto", Link, "明るさ,ｺﾝﾄﾗｽﾄ,色を自動補正", "mAuto2Click", nullptr},
    {"EditPhoto", Link, "明るさ,ｺﾝﾄﾗｽﾄを自動補正", "mAuto1Click", nullptr},
    {"EditPhoto", Tip, "結果が気に入らない時は", nullptr, nullptr},
    {"EditPhoto", Link, "元に戻す", "Undo1Click", nullptr},
    {"EditPhoto", Heading, "ステップ２．微調整する", nullptr, nullptr},
    {"EditPhoto", Link, "明るさ（γ）の微調整", "mGVarClick", nullptr},
    {"EditPhoto", Link, "色の微調整", "V1Clicky", nullptr},
    {"EditPhoto", Link, "元に戻す", "Undo1Click", nullptr},
    {"EditPhoto", Tip, "調整画面のプレビューは全体表示と実寸表示を選べます", nullptr, nullptr},
    {"EditPhoto", Link, "調整時のﾌﾟﾚﾋﾞｭｰ表示を切替", "bPreviewAreaClick", nullptr},
    // Scanned photos
    {"EditScan", Title, "スキャン写真を綺麗にする", nullptr, nullptr},
    {"EditScan", Heading, "ステップ１．不要部分を切取る", nullptr, nullptr},
    {"EditScan", Link, "画像の不要部分を切取ります", "mSmallClick", nullptr},
    {"EditScan", Heading, "ステップ２．ノイズを除去する", nullptr, nullptr},
    {"EditScan", Link, "自動ノイズ除去を試します", "mScanNoiseClick", nullptr},
    {"EditScan", Tip, "うまくいかない時は", nullptr, nullptr},
    {"EditScan", Link, "元に戻して", "Undo1Click", nullptr},
    {"EditScan", Link, "手動ノイズ除去", "mSoftenClick", nullptr},
    {"EditScan", Heading, "ステップ３．縮小する", nullptr, nullptr},
    {"EditScan", Link, "高画質縮小", "mHQSmallClick", nullptr},
    {"EditScan", Heading, "ステップ４．自動レタッチを試す", nullptr, nullptr},
    {"EditScan", Link, "明るさ,ｺﾝﾄﾗｽﾄ,色を自動補正", "mAuto2Click", nullptr},
    {"EditScan", Link, "明るさ,ｺﾝﾄﾗｽﾄを自動補正", "mAuto1Click", nullptr},
    {"EditScan", Link, "元に戻す", "Undo1Click", nullptr},
    {"EditScan", Heading, "ステップ５．微調整する", nullptr, nullptr},
    {"EditScan", Link, "明るさ（γ）の微調整", "mGVarClick", nullptr},
    {"EditScan", Link, "色の微調整", "V1Clicky", nullptr},
    {"EditScan", Link, "元に戻す", "Undo1Click", nullptr},
    {"EditScan", Link, "調整時のﾌﾟﾚﾋﾞｭｰ表示を切替", "bPreviewAreaClick", nullptr},
    // Saving
    {"SaveFile", Title, "画像を保存する", nullptr, nullptr},
    {"SaveFile", Heading, "保存する", nullptr, nullptr},
    {"SaveFile", Link, "元ファイルに上書保存", "FileSaveItemClick", nullptr},
    {"SaveFile", Link, "新たなファイルとして保存", "FileSaveAsItemClick", nullptr},
    {"SaveFile", Heading, "保存の前に", nullptr, nullptr},
    {"SaveFile", Link, "ＪＰＥＧの圧縮品質を設定", "mOptionClick", nullptr},
    {"SaveFile", Tip, "ＧＩＦなど色数の少ない画像にする時は", nullptr, nullptr},
    {"SaveFile", Link, "色数を減らす", "mDitherClick", nullptr},
    {"SaveFile", Tip, "色数の少ない画像をＪＰＥＧで保存する時は", nullptr, nullptr},
    {"SaveFile", Link, "パレット色数を増やす", "mIncColorClick", nullptr},
    // Manual editing
    {"EditManual", Title, "マニュアルでの画像編集", nullptr, nullptr},
    {"EditManual", Heading, "色の調整", nullptr, nullptr},
    {"EditManual", Link, "ＹＵＶ座標で調整", "mYUVClick", nullptr},
    {"EditManual", Link, "ＲＧＢ座標で調整", "RBG1Click", nullptr},
    {"EditManual", Link, "彩度調整", "mSaidoClick", nullptr},
    {"EditManual", Link, "色相変更", "mShikisouClick", nullptr},
    {"EditManual", Link, "ネガ／ポジ反転", "mReverseClick", nullptr},
    {"EditManual", Heading, "明るさの調整", nullptr, nullptr},
    {"EditManual", Link, "輝度の調整", "mBrightClick", nullptr},
    {"EditManual", Link, "ガンマ値の補正", "G1Click", nullptr},
    {"EditManual", Link, "コントラストの調整", "mContrastClick", nullptr},
    {"EditManual", Link, "ヒストグラムによる調整", "mHistFuncClick", nullptr},
    {"EditManual", Heading, "拡大／縮小", nullptr, nullptr},
    {"EditManual", Link, "通常法", "mBitBltClick", nullptr},
    {"EditManual", Link, "高画質法（ｵｰﾊﾞｰｻﾝﾌﾟﾙ）", "mHQSmallClick", nullptr},
    {"EditManual", Link, "高画質法（線形補完）", "mHQLargeClick", nullptr},
    {"EditManual", Heading, "その他の編集", nullptr, nullptr},
    {"EditManual", Link, "不要部分を切取り", "mSmallClick", nullptr},
    {"EditManual", Link, "グレー化", "mGrayClick", nullptr},
    {"EditManual", Link, "セピア化", "mSepiaClick", nullptr},
    {"EditManual", Link, "回転／反転", "mRotateClick", nullptr},
    {"EditManual", Link, "ソフト化／ノイズ除去", "mSoftenClick", nullptr},
    {"EditManual", Link, "シャープ化", "mSharpClick", nullptr},
    {"EditManual", Link, "ノイズ除去（２）", "mMedianClick", nullptr},
    {"EditManual", Heading, "やり直し", nullptr, nullptr},
    {"EditManual", Link, "編集前の状態に戻す（UNDO）", "Undo1Click", nullptr},
    {"EditManual", Link, "調整時のﾌﾟﾚﾋﾞｭｰ表示を切替", "bPreviewAreaClick", nullptr},
    // Artistic effects
    {"Artist", Title, "ちょっと凝った写真にする", nullptr, nullptr},
    {"Artist", Heading, "特殊処理", nullptr, nullptr},
    {"Artist", Link, "モザイク状にする", "mMozaicClick", nullptr},
    {"Artist", Link, "エンボス（浮き出し）", "mEmbossClick", nullptr},
    {"Artist", Link, "輪郭の抽出（１）", "mRobertsClick", nullptr},
    {"Artist", Link, "輪郭の抽出（２）", "mLapratianClick", nullptr},
    {"Artist", Heading, "色調の変更", nullptr, nullptr},
    {"Artist", Link, "グレースケール", "mGrayClick", nullptr},
    {"Artist", Link, "セピア調", "mSepiaClick", nullptr},
    {"Artist", Heading, "照明と写真枠", nullptr, nullptr},
    {"Artist", Link, "照明効果", "mLiteningClick", nullptr},
    {"Artist", Link, "フェイドアウト", "mFadeOutClick", nullptr},
    {"Artist", Link, "半透明枠", "mTransClick", nullptr},
    {"Artist", Link, "波形の枠", "W1Click", nullptr},
    {"Artist", Heading, "スポットとノイズ", nullptr, nullptr},
    {"Artist", Link, "ダストスポット", "mSandSpotClick", nullptr},
    {"Artist", Link, "ソフトスポット", "P1Click", nullptr},
    {"Artist", Link, "ホワイトスポット", "S2Click", nullptr},
    {"Artist", Link, "ノイズ", "mNoizClick", nullptr},
    {"Artist", Link, "テクスチャー効果", "mTexClick", nullptr},
    {"Artist", Heading, "やり直し", nullptr, nullptr},
    {"Artist", Link, "編集前の状態に戻す（UNDO）", "Undo1Click", nullptr},
    {"Artist", Link, "調整時のﾌﾟﾚﾋﾞｭｰ表示を切替", "bPreviewAreaClick", nullptr},
};

// Carried by every page but the top one, at its foot.
const GuideEntry kGuideFoot[] = {
    {nullptr, Link, "トップページへ戻る", "Label30Click", nullptr},
    {nullptr, Link, "通常画面に戻る", "Label2Click", nullptr},
    {nullptr, Link, "VELMIRを終了する", "FileExitItemClick", nullptr},
};

QString Text(const char *s) { return QString::fromUtf8(s); }

// The tooltip is the text before the first "|", the status-bar hint the text
// after it (the whole text when there is none).
QString TooltipPart(const QString &hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.left(bar);
}

QString StatusPart(const QString &hint) {
  const qsizetype bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.mid(bar + 1);
}

} // namespace

void TMainForm::BuildWindow() {
  setWindowTitle(QStringLiteral(" VELMIR"));
  setObjectName(QStringLiteral("MainForm"));
  // The toolbar rows are fixed; no pop-up to hide them behind the user's back.
  setContextMenuPolicy(Qt::NoContextMenu);

  // ---- menus ---------------------------------------------------------------
  menuBar()->setObjectName(QStringLiteral("MainMenu1"));
  QMap<QString, QMenu *> menus;
  auto *zoomGroup = new QActionGroup(this);
  auto *previewGroup = new QActionGroup(this);
  for (const MenuItem &item : kMenu) {
    const QString name = Text(item.name);
    const QString hint = Text(item.hint);
    QMenu *parentMenu = item.parent ? menus.value(Text(item.parent)) : nullptr;
    QAction *action = nullptr;
    if (item.flags & Sub) {
      QMenu *menu = parentMenu ? parentMenu->addMenu(Text(item.caption))
                               : menuBar()->addMenu(Text(item.caption));
      menu->setObjectName(name);
      menus.insert(name, menu);
      action = menu->menuAction();
    } else if (!item.caption) {
      action = parentMenu->addSeparator();
    } else {
      action = parentMenu->addAction(Text(item.caption));
      if (*item.shortcut) action->setShortcut(QKeySequence(Text(item.shortcut)));
    }
    action->setObjectName(name);
    action->setStatusTip(StatusPart(hint));
    if (item.flags & (Checked | Checkable | ZoomGroup | PreviewGroup)) action->setCheckable(true);
    if (item.flags & Checked) action->setChecked(true);
    if (item.flags & ZoomGroup) zoomGroup->addAction(action);
    if (item.flags & PreviewGroup) previewGroup->addAction(action);
    if (item.flags & Hidden) action->setVisible(false);
    if (item.flags & Disabled) action->setEnabled(false);
    if (item.handler) connect(action, &QAction::triggered, this, item.handler);
    if (item.caption) connect(action, &QAction::hovered, this, [this, hint] { ShowHint(hint); });
    actions_.insert(name, action);
  }
  Act(QStringLiteral("Disp100"))->setChecked(true);
  Window1 = menus.value(QStringLiteral("Window1"));
  // The document windows are listed under the window commands.
  connect(Window1, &QMenu::aboutToShow, this, [this] {
    for (QAction *old : Window1->actions())
      if (old->property("documentEntry").toBool()) {
        Window1->removeAction(old);
        old->deleteLater();
      }
    const QList<TMDIChild *> children = Children();
    if (children.isEmpty()) return;
    TMDIChild *active = ActiveChild();
    QAction *separator = Window1->addSeparator();
    separator->setProperty("documentEntry", true);
    int number = 1;
    for (TMDIChild *child : children) {
      const QString prefix =
          number < 10 ? QStringLiteral("&%1 ").arg(number) : QStringLiteral("%1 ").arg(number);
      QAction *entry = Window1->addAction(prefix + child->Caption());
      entry->setProperty("documentEntry", true);
      entry->setCheckable(true);
      entry->setChecked(child == active);
      QPointer<TMDIChild> target(child);
      connect(entry, &QAction::triggered, this, [this, target] {
        if (target) mdi_->setActiveSubWindow(target);
      });
      ++number;
    }
  });

  // ---- toolbar rows --------------------------------------------------------
  auto makeRow = [this](const QString &name, int rowNumber) {
    auto *row = new QToolBar(name, this);
    row->setObjectName(name);
    row->setMovable(false);
    row->setFloatable(false);
    row->setIconSize(QSize(24, 24));
    // Packed tight, as the rows hold up to 53 buttons.
    row->setStyleSheet(
        QStringLiteral("QToolBar { spacing: 0px; } QToolButton { padding: 1px; margin: 0px; }"));
    const std::span<const SpeedButtonEntry> entries = SpeedButtonRow(rowNumber);
    for (int index : ToolbarLayoutOrder(rowNumber)) {
      const SpeedButtonEntry &entry = entries[size_t(index)];
      const QString buttonName = Text(entry.name);
      // Buttons end their hint in "|": a tooltip and an empty status text.
      const QString hint = entry.hint ? Text(entry.hint) : Text(entry.text) + QLatin1Char('|');
      auto *action =
          new QAction(ButtonGlyph(Text(entry.glyph), entry.group), TooltipPart(hint), this);
      action->setObjectName(buttonName);
      action->setToolTip(TooltipPart(hint));
      action->setStatusTip(StatusPart(hint));
      if (entry.handler)
        connect(action, &QAction::triggered, this, entry.handler);
      else
        connect(action, &QAction::triggered, this,
                [this, buttonName] { ToolButtonClick(buttonName); });
      connect(action, &QAction::hovered, this, [this, hint] { ShowHint(hint); });
      row->addAction(action);
      auto *button = qobject_cast<QToolButton *>(row->widgetForAction(action));
      if (button) {
        button->setObjectName(buttonName);
        button->setAutoRaise(true);
        buttons_.insert(buttonName, button);
      }
      actions_.insert(buttonName, action);
    }
    return row;
  };
  SpeedPanel = makeRow(QStringLiteral("SpeedPanel"), 0);
  addToolBar(Qt::TopToolBarArea, SpeedPanel);
  addToolBarBreak(Qt::TopToolBarArea);
  ToolPanel = makeRow(QStringLiteral("ToolPanel"), 1);
  addToolBar(Qt::TopToolBarArea, ToolPanel);

  // ---- client area: guidance panel, document frame, reading panel ---------
  auto *client = new QWidget(this);
  client->setObjectName(QStringLiteral("ClientArea"));
  auto *grid = new QGridLayout(client);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);

  GuidePanel = new QFrame(client);
  GuidePanel->setObjectName(QStringLiteral("GuidePanel"));
  GuidePanel->setFrameShape(QFrame::StyledPanel);
  GuidePanel->setMinimumWidth(300);
  auto *guideLayout = new QVBoxLayout(GuidePanel);
  guideLayout->setContentsMargins(0, 0, 0, 0);
  Notebook1 = new QStackedWidget(GuidePanel);
  Notebook1->setObjectName(QStringLiteral("Notebook1"));
  guideLayout->addWidget(Notebook1);
  QMap<QString, QVBoxLayout *> pageLayouts;
  for (const char *page : kGuidePages) {
    auto *scroll = new QScrollArea(Notebook1);
    scroll->setObjectName(Text(page));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto *content = new QWidget(scroll);
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(16, 12, 16, 12);
    column->setSpacing(6);
    scroll->setWidget(content);
    Notebook1->addWidget(scroll);
    guidePages_.insert(Text(page), scroll);
    pageLayouts.insert(Text(page), column);
  }
  auto addGuideEntry = [this](QVBoxLayout *column, const GuideEntry &entry) {
    const QString text = Text(entry.text);
    auto *label = new QLabel(column->parentWidget());
    label->setWordWrap(true);
    switch (entry.kind) {
    case Title:
      label->setText(text);
      label->setStyleSheet(QStringLiteral("font-size: 16pt; font-weight: bold; color: #103070;"));
      column->addWidget(label);
      column->addSpacing(8);
      return;
    case Heading:
      column->addSpacing(6);
      label->setText(text);
      label->setStyleSheet(QStringLiteral("font-weight: bold; color: #404040;"));
      break;
    case Tip:
      label->setText(text);
      label->setStyleSheet(QStringLiteral("color: #606060;"));
      break;
    case Link: {
      label->setText(QStringLiteral("<a href=\"#\" style=\"color:#0033cc;\">%1</a>")
                         .arg(text.toHtmlEscaped()));
      label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
      label->setCursor(Qt::PointingHandCursor);
      label->setContentsMargins(12, 0, 0, 0);
      label->setProperty("guideText", text);
      if (entry.command) {
        const QString command = Text(entry.command);
        label->setProperty("guideCommand", command);
        connect(label, &QLabel::linkActivated, this, [this, command] { RunCommand(command); });
      } else {
        const QString target = Text(entry.target);
        connect(label, &QLabel::linkActivated, this, [this, target] { ShowGuidePage(target); });
      }
      break;
    }
    }
    column->addWidget(label);
  };
  for (const GuideEntry &entry : kGuide)
    addGuideEntry(pageLayouts.value(Text(entry.page)), entry);
  for (auto it = pageLayouts.cbegin(); it != pageLayouts.cend(); ++it) {
    QVBoxLayout *column = it.value();
    column->addStretch(1);
    if (it.key() == QLatin1String("gdMenu")) continue;
    for (const GuideEntry &entry : kGuideFoot)
      addGuideEntry(column, entry);
  }
  GuidePanel->hide();

  mdi_ = new QMdiArea(client);
  mdi_->setObjectName(QStringLiteral("Frame"));
  mdi_->setBackground(palette().brush(QPalette::Dark));
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

  FileMess = new QFrame(client);
  FileMess->setObjectName(QStringLiteral("FileMess"));
  FileMess->setFrameShape(QFrame::Panel);
  FileMess->setFrameShadow(QFrame::Raised);
  FileMess->setLineWidth(2);
  FileMess->setAutoFillBackground(true);
  auto *messLayout = new QVBoxLayout(FileMess);
  messLayout->setContentsMargins(0, 0, 0, 12);
  auto *messTitle = new QLabel(QStringLiteral(" VELMIR"), FileMess);
  messTitle->setStyleSheet(
      QStringLiteral("background: #000080; color: white; font-weight: bold; padding: 2px;"));
  messLayout->addWidget(messTitle);
  for (const QString &line :
       {QStringLiteral("画像ファイルを読込んでいます"), QStringLiteral("Reading File ...")}) {
    auto *text = new QLabel(line, FileMess);
    text->setAlignment(Qt::AlignCenter);
    text->setContentsMargins(24, 4, 24, 0);
    messLayout->addWidget(text);
  }
  FileMess->hide();

  grid->addWidget(GuidePanel, 0, 0);
  grid->addWidget(mdi_, 0, 1);
  // Over the frame, in its middle.
  grid->addWidget(FileMess, 0, 1, Qt::AlignCenter);
  grid->setColumnStretch(1, 1);
  setCentralWidget(client);

  statusBar()->setObjectName(QStringLiteral("StatusBar"));
  statusBar()->setSizeGripEnabled(true);

  // F1 is the main window's help key.
  auto *help = new QShortcut(QKeySequence::HelpContents, this);
  connect(help, &QShortcut::activated, this, &TMainForm::mHelpClick);
}

QAction *TMainForm::Act(const QString &name) const { return actions_.value(name); }

QToolButton *TMainForm::Button(const QString &name) const { return buttons_.value(name); }

QStringList TMainForm::ActionNames() const { return actions_.keys(); }

void TMainForm::ShowGuidePage(const QString &name) {
  if (QWidget *page = guidePages_.value(name)) Notebook1->setCurrentWidget(page);
}

QString TMainForm::CurrentGuidePage() const {
  QWidget *page = Notebook1 ? Notebook1->currentWidget() : nullptr;
  return page ? page->objectName() : QString();
}

QLabel *TMainForm::GuideLabel(const QString &page, const QString &text) const {
  QWidget *widget = guidePages_.value(page);
  if (!widget) return nullptr;
  for (QLabel *label : widget->findChildren<QLabel *>())
    if (label->property("guideText").toString() == text) return label;
  return nullptr;
}
