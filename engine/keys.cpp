// SPDX-License-Identifier: GPL-3.0-or-later
#include "keys.h"

namespace numbelle {

namespace {

using A = KeyAction;

constexpr KeySpec kKeys[] = {
    // key, button, action, key index, guards, keystroke, caption, tool tip
    {Key::Digit0, 0, A::Index, 0, GuardLock, u'0', u"0", u""},
    {Key::Digit1, 1, A::Index, 1, GuardLock, u'1', u"1", u""},
    {Key::Digit2, 2, A::Index, 2, GuardLock, u'2', u"2", u""},
    {Key::Digit3, 3, A::Index, 3, GuardLock, u'3', u"3", u""},
    {Key::Digit4, 4, A::Index, 4, GuardLock, u'4', u"4", u""},
    {Key::Digit5, 5, A::Index, 5, GuardLock, u'5', u"5", u""},
    {Key::Digit6, 6, A::Index, 6, GuardLock, u'6', u"6", u""},
    {Key::Digit7, 7, A::Index, 7, GuardLock, u'7', u"7", u""},
    {Key::Digit8, 8, A::Index, 8, GuardLock, u'8', u"8", u""},
    {Key::Digit9, 9, A::Index, 9, GuardLock, u'9', u"9", u""},
    {Key::Point, 11, A::Index, KeyPoint, GuardLock | GuardPoint, u'.', u".", u""},
    {Key::Add, 13, A::Index, KeyAdd, GuardLock | GuardNew, u'+', u"+", u""},
    {Key::Subtract, 14, A::Index, KeySubtract, GuardLock | GuardNew, u'-', u"−", u""},
    {Key::Multiply, 15, A::Index, KeyMultiply, GuardLock | GuardNew, u'*', u"×", u""},
    {Key::Divide, 16, A::Index, KeyDivide, GuardLock | GuardNew, u'/', u"÷", u""},
    {Key::MemoryClear, 17, A::Index, KeyMemoryClear, GuardLock, u'c', u"MC", u"清除存储"},
    {Key::MemoryRecall, 18, A::Index, KeyMemoryRecall, GuardLock, u'r', u"MR", u"调出存储"},
    {Key::MemoryStore, 19, A::Index, KeyMemoryStore, GuardLock, u's', u"MS", u"存储"},
    {Key::MemoryAdd, 20, A::Index, KeyMemoryAdd, GuardLock, u'm', u"M+", u"存储累加"},
    {Key::ClearAll, 21, A::Index, KeyClearAll, GuardNone, u'z', u"C", u"归零"},
    {Key::Equals, 22, A::Index, KeyEquals, GuardLock, u'=', u"=", u"计算及录入按钮"},
    {Key::Backspace, 26, A::Index, KeyBackspace, GuardLock, 0, u"←", u"退格键"},
    {Key::ClearEntry, 30, A::Index, KeyClearEntry, GuardNone, u'e', u"CE", u"清除"},
    {Key::SpeechSwitch, 28, A::Index, KeySpeechSwitch, GuardNone, u'v', u"", u"语音按钮开关"},
    {Key::SignChange, 10, A::SignChange, 0, GuardLock, 0, u"±", u""},
    {Key::Reciprocal, 23, A::Reciprocal, 0, GuardLock, 0, u"1/x", u"取倒数"},
    {Key::TimesHundred, 25, A::TimesHundred, 0, GuardLock, 0, u"×100", u""},
    {Key::SquareRoot, 35, A::SquareRoot, 0, GuardLock, 0, u"√", u""},
    {Key::Capitals, 24, A::Capitals, 0, GuardNone, 0, u"大写", u"把计算得数转换为大写金额"},
    {Key::SaveRecords, 12, A::SaveRecords, 0, GuardNone, 0, u"存", u"保存录入的数据文件"},
    {Key::ViewRecords, 29, A::ViewRecords, 0, GuardNone, 0, u"查", u"查看已录入的数据"},
    {Key::ClearRecords, 31, A::ClearRecords, 0, GuardNone, 0, u"清", u"清空数据记录"},
    {Key::IncomeTax, 33, A::IncomeTax, 0, GuardNone, u't', u"个税", u""},
    {Key::Loan, 37, A::Loan, 0, GuardNone, u'd', u"房贷", u""},
    {Key::Securities, 38, A::Securities, 0, GuardNone, u'k', u"证券", u""},
    {Key::Exit, 27, A::Exit, 0, GuardNone, 0, u"×", u"退出计算器程序"},
    {Key::Manual, 32, A::Manual, 0, GuardNone, 0, u"?", u"说明书"},
    {Key::Settings, 34, A::Settings, 0, GuardNone, 0, u"设", u"设置"},
    {Key::AppendX, kNoButton, A::Index, KeyAppendX, GuardNone, u'x', u"", u""},
    {Key::SizeMode, kNoButton, A::Index, KeySizeMode, GuardNone, u'o', u"", u""},
    {Key::Minimize, kNoButton, A::Minimize, 0, GuardNone, u'a', u"", u""},
    {Key::IdentityNumber, kNoButton, A::IdentityNumber, 0, GuardNone, u'n', u"", u""},
};

// The table lists the keys in the order of the enum, so a key is its row.
constexpr bool inEnumOrder()
{
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        if (size_t(kKeys[i].key) != i)
            return false;
    }
    return true;
}
static_assert(inEnumOrder(), "kKeys must list the keys in the order of enum Key");

} // namespace

std::span<const KeySpec> keyTable() { return kKeys; }

const KeySpec &keySpec(Key key) { return kKeys[size_t(key)]; }

const KeySpec *keyOfButton(int button)
{
    if (button == kNoButton)
        return nullptr;
    for (const KeySpec &k : kKeys) {
        if (k.button == button)
            return &k;
    }
    return nullptr;
}

const KeySpec *keyOfKeystroke(char16_t ch)
{
    if (ch == 0)
        return nullptr;
    for (const KeySpec &k : kKeys) {
        if (k.keystroke == ch)
            return &k;
    }
    return nullptr;
}

QString buttonName(Key key) { return QStringLiteral("Command%1").arg(keySpec(key).button); }

} // namespace numbelle
