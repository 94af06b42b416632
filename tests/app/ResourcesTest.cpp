#include "res/resource.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const LANGID kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_NEUTRAL);  // every country's
// RT_DIALOG and the rest name the types in the process code page.
const LPCWSTR kDialogType = MAKEINTRESOURCEW(5), kMenuType = MAKEINTRESOURCEW(4),
              kStringType = MAKEINTRESOURCEW(6);

const void* Resource(LPCWSTR type, UINT id, LANGID language)
{
    HRSRC found = ::FindResourceExW(nullptr, type, MAKEINTRESOURCEW(id), language);
    return found != nullptr ? ::LockResource(::LoadResource(nullptr, found)) : nullptr;
}

// The ids of every resource of a type, in any language.
std::set<UINT> Names(LPCWSTR type)
{
    std::set<UINT> names;
    ::EnumResourceNamesW(nullptr, type, [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) -> BOOL {
        reinterpret_cast<std::set<UINT>*>(found)->insert(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
        return TRUE;
    }, reinterpret_cast<LONG_PTR>(&names));
    return names;
}

// What the code fills in and the letter mark: the same in every language.
std::string Marks(const std::wstring& text)
{
    std::string marks;
    for (const wchar_t* mark : {L"%1", L"%2", L"%s", L"&"}) {
        for (size_t at = text.find(mark); at != std::wstring::npos; at = text.find(mark, at + 1))
            marks += static_cast<char>(mark[1] != 0 ? mark[1] : '&');
    }
    return marks;
}

// A string of one language's table, whatever the user's language.
std::wstring StringIn(UINT id, LANGID language)
{
    auto* text = static_cast<const WCHAR*>(Resource(kStringType, id / 16 + 1, language));
    for (UINT skip = id % 16; text != nullptr && skip > 0; --skip)
        text += 1 + *text;
    return text != nullptr ? std::wstring(text + 1, *text) : std::wstring();
}

// The letter after a single &, lower-cased; 0 when there is none.
wchar_t Mnemonic(const std::wstring& text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == L'&' && text[i + 1] != L'&')
            return static_cast<wchar_t>(std::towlower(text[i + 1]));
        if (text[i] == L'&')
            ++i;
    }
    return 0;
}

struct Control {
    HWND window;
    std::wstring kind, text;
    int id;
    LONG style;

    bool IsLabel() const { return kind == L"Static" && Mnemonic(text) != 0; }
    bool IsField() const
    {
        return (kind == L"Edit" && (style & ES_READONLY) == 0) || kind == L"ComboBox" ||
               kind == WC_LISTVIEWW;
    }
    bool IsPushButton() const { return kind == L"Button" && (style & 0xF) <= BS_DEFPUSHBUTTON; }
};

// A dialog made from one language's template, with its controls in tab and
// z order.
class TemplateDialog {
public:
    TemplateDialog(UINT id, LANGID language)
    {
        auto* dialog = static_cast<const DLGTEMPLATE*>(Resource(kDialogType, id, language));
        if (dialog != nullptr)
            m_window = ::CreateDialogIndirectParamW(
                nullptr, dialog, nullptr, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
        for (HWND child = ::GetWindow(m_window, GW_CHILD); child != nullptr;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            WCHAR kind[64] = {}, text[512] = {};
            ::GetClassNameW(child, kind, 64);
            ::GetWindowTextW(child, text, 512);
            m_controls.push_back({child, kind, text, ::GetDlgCtrlID(child),
                                  static_cast<LONG>(::GetWindowLongPtrW(child, GWL_STYLE))});
        }
    }
    ~TemplateDialog() { ::DestroyWindow(m_window); }

    HWND m_window = nullptr;
    std::vector<Control> m_controls;
};

// Whether `text` (its & left out) fits on one line of the control.
bool Fits(const Control& control, std::wstring text, int margin)
{
    text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
    RECT box;
    ::GetClientRect(control.window, &box);
    HDC dc = ::GetDC(control.window);
    HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control.window, WM_GETFONT, 0, 0)));
    RECT needed = {0, 0, 0, 0};
    ::DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE);
    ::SelectObject(dc, previous);
    ::ReleaseDC(control.window, dc);
    return needed.right + 2 * margin <= box.right;
}

} // namespace

// In both languages each dialog has the same controls; a label comes right
// before the field it names, and each field has one; every label and button
// but OK and Cancel has a letter of its own (Add's too in its Update state);
// and every text fits.
TEST(Resources, EachDialogInEachLanguageIsLaidOutForTheKeyboard)
{
    ::InitCommonControls();
    for (UINT id : Names(kDialogType)) {
        std::vector<std::pair<std::wstring, int>> english;
        for (LANGID language : {kEnglish, kGerman}) {
            TemplateDialog dialog(id, language);
            ASSERT_NE(dialog.m_window, nullptr) << id << " " << language;
            const auto& controls = dialog.m_controls;
            std::vector<std::pair<std::wstring, int>> shape;
            std::map<wchar_t, std::wstring> letters;
            auto claim = [&](const std::wstring& text) {
                EXPECT_NE(Mnemonic(text), 0) << id << " " << text;
                auto taken = letters.emplace(Mnemonic(text), text);
                EXPECT_TRUE(taken.second) << id << " " << language << ": " << text << " and "
                                          << taken.first->second;
            };
            for (size_t i = 0; i < controls.size(); ++i) {
                const Control& control = controls[i];
                shape.emplace_back(control.kind, control.id);
                if (control.IsField()) {
                    EXPECT_TRUE(i > 0 && controls[i - 1].IsLabel()) << id << " field " << control.id;
                }
                if (control.IsLabel()) {
                    EXPECT_TRUE(i + 1 < controls.size() && controls[i + 1].IsField()) << id << " label " << i;
                    EXPECT_TRUE(Fits(control, control.text, 0)) << id << " label " << i;
                    claim(control.text);
                }
                if (!control.IsPushButton())
                    continue;
                // Add shows its Update caption too, from the string table.
                std::vector<std::wstring> captions = {control.text};
                if (control.id == IDC_ADD) {
                    EXPECT_EQ(control.text, StringIn(IDS_ADD, language));
                    captions.push_back(StringIn(IDS_UPDATE, language));
                }
                for (const std::wstring& caption : captions) {
                    EXPECT_TRUE(Fits(control, caption, ::GetSystemMetrics(SM_CXEDGE))) << id << " " << caption;
                    if (control.id != IDOK && control.id != IDCANCEL)
                        claim(caption);
                }
            }
            if (language == kEnglish)
                english = shape;
            else
                EXPECT_EQ(shape, english) << id;
        }
    }
}

// Every string and menu item the English resources have, the German ones
// have too, with the same inserts, letter marks and commands.
TEST(Resources, TheGermanResourcesCoverTheEnglishOnes)
{
    int strings = 0;
    for (UINT block : Names(kStringType)) {
        for (UINT id = (block - 1) * 16; id < block * 16; ++id) {
            std::wstring english = StringIn(id, kEnglish), german = StringIn(id, kGerman);
            strings += !english.empty();
            EXPECT_EQ(german.empty(), english.empty()) << id;
            EXPECT_EQ(Marks(german), Marks(english)) << id;
        }
    }
    EXPECT_GT(strings, 50);
    for (UINT id : Names(kMenuType)) {
        std::vector<UINT> commands[2];
        for (LANGID language : {kEnglish, kGerman}) {
            HMENU menu = ::LoadMenuIndirectW(Resource(kMenuType, id, language));
            ASSERT_NE(menu, nullptr) << id << " " << language;
            HMENU popup = ::GetSubMenu(menu, 0);
            std::set<wchar_t> letters;
            for (int item = 0; item < ::GetMenuItemCount(popup); ++item) {
                WCHAR text[128] = {};
                ::GetMenuStringW(popup, static_cast<UINT>(item), text, 128, MF_BYPOSITION);
                commands[language == kGerman].push_back(::GetMenuItemID(popup, item));
                if (*text != 0) {
                    EXPECT_TRUE(letters.insert(Mnemonic(text)).second) << language << " item " << item;
                }
            }
            ::DestroyMenu(menu);
        }
        EXPECT_EQ(commands[1], commands[0]) << id;
    }
}
