#include "GallerySections.h"
#include "ssMsgLbl.h"

namespace {
const wchar_t* const kMessage =
    L"データベースの既定値を修復しています。修復が終わるまで、ほかのプログラムからデータベースに接続しないでください。"
    L"途中で止めると、次回の起動時にもう一度修復が行われます。\r\n"
    L"\r\n"
    L"修復に失敗したときは、画面に表示された番号を控えて、システム管理者に連絡してください。"
    L"ログファイル「defaultdb_Error.log」は実行ファイルと同じフォルダーにあります。\r\n"
    L"マウスでドラッグするか Shift キーと矢印キーで選択し、Ctrl+C または右クリックの「コピー」で写せます。"
    L"Ctrl+A ですべて選択できます。";

TssMessageLabel* AddLabel(TGalleryBand& band, int width, bool wrap, int pitch) {
    auto* label = band.Add<TssMessageLabel>(width);
    label->Font()->SetName(L"ＭＳ Ｐゴシック");
    label->Font()->SetHeight(-12);
    label->SetScrollBar(TScrollStyle::ssBoth);
    label->SetWordWrap(wrap);
    label->SetPitch(pitch);
    label->SetTabStop(true);
    // Margins inside the client area that the border and both bars leave.
    label->ClipRect()->SetRect(RECT{6, 4, width - GetSystemMetrics(SM_CXVSCROLL) - 10,
                                    label->Height() - GetSystemMetrics(SM_CYHSCROLL) - 8});
    label->Lines()->SetText(kMessage);
    label->EndUpdate();
    return label;
}
}  // namespace

void AddMessageLabelSamples(TGalleryBand& Band) {
    Band.NewRow(L"折り返し・ピッチ 1・両スクロールバー", 120);
    AddLabel(Band, 360, true, 1);
    Band.NewRow(L"折り返しなし・横スクロール", 110);
    AddLabel(Band, 360, false, 0);
}
