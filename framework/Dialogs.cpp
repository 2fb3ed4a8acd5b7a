#include "Dialogs.h"

#include "Forms.h"

int MessageDlg(const String& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx) {
    using B = TMsgDlgBtn;
    struct Kind {
        TMsgDlgButtons set;
        UINT flags;
    };
    static const Kind kinds[] = {
        {{B::mbOK}, MB_OK},
        {{B::mbOK, B::mbCancel}, MB_OKCANCEL},
        {{B::mbYes, B::mbNo}, MB_YESNO},
        {{B::mbYes, B::mbNo, B::mbCancel}, MB_YESNOCANCEL},
        {{B::mbRetry, B::mbCancel}, MB_RETRYCANCEL},
        {{B::mbAbort, B::mbRetry, B::mbIgnore}, MB_ABORTRETRYIGNORE},
    };
    TMsgDlgButtons plain = buttons - TMsgDlgButtons{B::mbHelp};
    const Kind* kind = nullptr;
    for (const Kind& k : kinds)
        if (k.set == plain) kind = &k;
    if (!kind) throw EConvertError(L"このボタンの組み合わせは表示できません");

    static const struct { UINT icon; const wchar_t* title; } types[] = {
        {MB_ICONWARNING, L"警告"}, {MB_ICONERROR, L"エラー"}, {MB_ICONINFORMATION, L"情報"},
        {MB_ICONQUESTION, L"確認"}, {0, nullptr},
    };
    const auto& t = types[static_cast<int>(type)];
    UINT flags = kind->flags | t.icon;
    if (buttons.Contains(B::mbHelp) || helpCtx) flags |= MB_HELP;
    String title = t.title ? String(t.title) : Application->Title();
    return Application->MessageBox(msg, title, flags);
}
