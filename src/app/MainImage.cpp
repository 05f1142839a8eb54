// The image, expert and artist commands, the one-click tool buttons and the
// commands whose windows are still to come: each arrives with its dialog.
#include "MainForm.h"

// File and edit commands served by other windows.
void TMainForm::mBrowseClick() {}
void TMainForm::TextImgClick() {}
void TMainForm::mWallOpenClick() {}
void TMainForm::mSScanClick() {}
void TMainForm::mMScanClick() {}
void TMainForm::mTSelectClick() {}
void TMainForm::mPrintClick() {}
void TMainForm::CutItemClick() {}
void TMainForm::mGouseiClick() {}

// Image menu
void TMainForm::mYUVClick() {}
void TMainForm::RBG1Click() {}
void TMainForm::mSaidoClick() {}
void TMainForm::mShikisouClick() {}
void TMainForm::mGrayClick() {}
void TMainForm::mSepiaClick() {}
void TMainForm::mReverseClick() {}
void TMainForm::mBrightClick() {}
void TMainForm::mContrastClick() {}
void TMainForm::G1Click() {}
void TMainForm::V1Clicky() {}
void TMainForm::mGVarClick() {}
void TMainForm::S1Click() {}
void TMainForm::B1Click() {}
void TMainForm::C1Click() {}
void TMainForm::mHistFuncClick() {}
void TMainForm::mDitherClick() {}
void TMainForm::mIncColorClick() {}
void TMainForm::mBitBltClick() {}
void TMainForm::mHQSmallClick() {}
void TMainForm::mHQLargeClick() {}
void TMainForm::mSmallClick() {}
void TMainForm::mRotateClick() {}
void TMainForm::mRotateExClick() {}
void TMainForm::mSoftenClick() {}
void TMainForm::mSharpClick() {}
void TMainForm::mMedianClick() {}
// The hidden directional and selective softening items have no action.
void TMainForm::mBXClick() {}
void TMainForm::mBYClick() {}
void TMainForm::mSpSoften1Click() {}
void TMainForm::mSpSoften2Click() {}
void TMainForm::m54Click() {}
void TMainForm::m43Click() {}
void TMainForm::mLetterClick() {}

// Photo expert menu
void TMainForm::mAuto1Click() {}
void TMainForm::mAuto2Click() {}
void TMainForm::BS1Click() {}
void TMainForm::mScanNoiseClick() {}
void TMainForm::S3Click() {}
void TMainForm::mAutoCustomClick() {}

// Artist menu
void TMainForm::mKyochoClick() {}
void TMainForm::mTexClick() {}
void TMainForm::mMozaicClick() {}
void TMainForm::mEmbossClick() {}
void TMainForm::mRobertsClick() {}
void TMainForm::mLapratianClick() {}
void TMainForm::mSandSpotClick() {}
void TMainForm::P1Click() {}
void TMainForm::S2Click() {}
void TMainForm::mLiteningClick() {}
void TMainForm::mNoizClick() {}
void TMainForm::mFadeOutClick() {}
void TMainForm::mTransClick() {}
void TMainForm::W1Click() {}
void TMainForm::bButtonFrameClick() {}
void TMainForm::C2Click() {}
void TMainForm::mSotowakuClick() {}
void TMainForm::mNamiClick() {}
void TMainForm::mUzuClick() {}
void TMainForm::mGlassClick() {}

// One-click tool buttons (tb01 ... tb16, tb26, tb27).
void TMainForm::ToolButtonClick(const QString &) {}
