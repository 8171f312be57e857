#include "keys.h"

namespace numbelle {

namespace {

using A = ButtonAction;

constexpr ButtonSpec kButtons[] = {
    {0, A::Key, 0, GuardLock, u"0", u""},
    {1, A::Key, 1, GuardLock, u"1", u""},
    {2, A::Key, 2, GuardLock, u"2", u""},
    {3, A::Key, 3, GuardLock, u"3", u""},
    {4, A::Key, 4, GuardLock, u"4", u""},
    {5, A::Key, 5, GuardLock, u"5", u""},
    {6, A::Key, 6, GuardLock, u"6", u""},
    {7, A::Key, 7, GuardLock, u"7", u""},
    {8, A::Key, 8, GuardLock, u"8", u""},
    {9, A::Key, 9, GuardLock, u"9", u""},
    {11, A::Key, KeyPoint, GuardLock | GuardPoint, u".", u""},
    {13, A::Key, KeyAdd, GuardLock | GuardNew, u"+", u""},
    {14, A::Key, KeySubtract, GuardLock | GuardNew, u"−", u""},
    {15, A::Key, KeyMultiply, GuardLock | GuardNew, u"×", u""},
    {16, A::Key, KeyDivide, GuardLock | GuardNew, u"÷", u""},
    {17, A::Key, KeyMemoryClear, GuardLock, u"MC", u"清除存储"},
    {18, A::Key, KeyMemoryRecall, GuardLock, u"MR", u"调出存储"},
    {19, A::Key, KeyMemoryStore, GuardLock, u"MS", u"存储"},
    {20, A::Key, KeyMemoryAdd, GuardLock, u"M+", u"存储累加"},
    {21, A::Key, KeyClearAll, GuardNone, u"C", u"归零"},
    {22, A::Key, KeyEquals, GuardLock, u"=", u"计算及录入按钮"},
    {26, A::Key, KeyBackspace, GuardLock, u"←", u"退格键"},
    {30, A::Key, KeyClearEntry, GuardNone, u"CE", u"清除"},
    {28, A::Key, KeySpeechSwitch, GuardNone, u"", u"语音按钮开关"},
    {10, A::SignChange, 0, GuardLock, u"±", u""},
    {23, A::Reciprocal, 0, GuardLock, u"1/x", u"取倒数"},
    {25, A::TimesHundred, 0, GuardLock, u"×100", u""},
    {35, A::SquareRoot, 0, GuardLock, u"√", u""},
    {24, A::Capitals, 0, GuardNone, u"大写", u"把计算得数转换为大写金额"},
    {12, A::SaveRecords, 0, GuardNone, u"存", u"保存录入的数据文件"},
    {29, A::ViewRecords, 0, GuardNone, u"查", u"查看已录入的数据"},
    {31, A::ClearRecords, 0, GuardNone, u"清", u"清空数据记录"},
    {33, A::IncomeTax, 0, GuardNone, u"个税", u""},
    {37, A::Loan, 0, GuardNone, u"房贷", u""},
    {38, A::Securities, 0, GuardNone, u"证券", u""},
    {27, A::Exit, 0, GuardNone, u"×", u"退出计算器程序"},
    {32, A::Manual, 0, GuardNone, u"?", u"说明书"},
    {34, A::Settings, 0, GuardNone, u"设", u""},
};

} // namespace

std::span<const ButtonSpec> keypadButtons() { return kButtons; }

const ButtonSpec *findButton(int number)
{
    for (const ButtonSpec &b : kButtons) {
        if (b.number == number)
            return &b;
    }
    return nullptr;
}

} // namespace numbelle
