#include "tests/win/DialogTemplate.h"

#include <cstring>

namespace {

class Reader {
  public:
    explicit Reader(const BYTE* data) : base_(data), p_(data) {}
    WORD Word() {
        WORD w;
        memcpy(&w, p_, 2);
        p_ += 2;
        return w;
    }
    DWORD Dword() {
        DWORD d;
        memcpy(&d, p_, 4);
        p_ += 4;
        return d;
    }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte() { return *p_++; }
    std::wstring String() {
        std::wstring s;
        for (WORD c; (c = Word()) != 0;) s += static_cast<wchar_t>(c);
        return s;
    }
    std::wstring StringOrOrdinal(bool windowClass) {
        WORD first;
        memcpy(&first, p_, 2);
        if (first != 0xFFFF) return String();
        Word();
        const WORD ordinal = Word();
        if (windowClass && ordinal == 0x80) return L"Button";
        if (windowClass && ordinal == 0x81) return L"Edit";
        if (windowClass && ordinal == 0x82) return L"Static";
        return L"#" + std::to_wstring(ordinal);
    }
    void AlignDword() {
        while ((p_ - base_) % 4) ++p_;
    }

  private:
    const BYTE* base_;
    const BYTE* p_;
};

}  // namespace

DialogTemplate ReadDialogTemplate(int id, WORD language) {
    DialogTemplate dialog;
    HRSRC found = ::FindResourceExW(nullptr, MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(id), language);
    if (!found) return dialog;
    dialog.found = true;
    Reader in(static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, found))));

    WORD count = 0;
    const WORD first = in.Word();
    const WORD second = in.Word();
    dialog.extended = first == 1 && second == 0xFFFF;
    if (dialog.extended) {
        dialog.helpId = in.Dword();
        dialog.exStyle = in.Dword();
        dialog.style = in.Dword();
    } else {
        dialog.style = static_cast<DWORD>(first) | (static_cast<DWORD>(second) << 16);
        dialog.exStyle = in.Dword();
    }
    count = in.Word();
    dialog.x = in.Short();
    dialog.y = in.Short();
    dialog.cx = in.Short();
    dialog.cy = in.Short();
    dialog.menu = in.StringOrOrdinal(false);
    dialog.windowClass = in.StringOrOrdinal(true);
    dialog.caption = in.String();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = in.Word();
        if (dialog.extended) {
            dialog.weight = in.Word();
            dialog.italic = in.Byte();
            dialog.charset = in.Byte();
        }
        dialog.face = in.String();
    }
    for (WORD i = 0; i < count; ++i) {
        in.AlignDword();
        TemplateItem item;
        if (dialog.extended) {
            item.helpId = in.Dword();
            item.exStyle = in.Dword();
            item.style = in.Dword();
        } else {
            item.style = in.Dword();
            item.exStyle = in.Dword();
        }
        item.x = in.Short();
        item.y = in.Short();
        item.cx = in.Short();
        item.cy = in.Short();
        item.id = dialog.extended ? static_cast<int>(in.Dword()) : static_cast<short>(in.Word());
        item.windowClass = in.StringOrOrdinal(true);
        item.text = in.StringOrOrdinal(false);
        const WORD extra = in.Word();
        for (WORD b = 0; b < extra; ++b) in.Byte();
        dialog.items.push_back(item);
    }
    return dialog;
}
