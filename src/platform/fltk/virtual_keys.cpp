#include "platform/fltk/virtual_keys.h"

#include <FL/Enumerations.H>
#include <FL/fl_utf8.h>

#include <algorithm>
#include <array>
#include <utility>

namespace quarlyn {
namespace {

using KeyPair = std::pair<int, int>;  // FLTK key, Windows code

// Keys whose codes follow no range, sorted by FLTK key for the binary search.
constexpr auto kNamedKeys = std::to_array<KeyPair>({
    {' ', 32},          {'\'', 222},          {',', 188},           {'-', 189},          {'.', 190},
    {'/', 191},         {';', 186},           {'<', 226},           {'=', 187},          {'[', 219},
    {'\\', 220},        {']', 221},           {'`', 192},           {0xfe03, 18},        {FL_BackSpace, 8},
    {FL_Tab, 9},        {FL_Iso_Key, 226},    {FL_Enter, 13},       {FL_Pause, 19},      {FL_Scroll_Lock, 145},
    {FL_Escape, 27},    {FL_Home, 36},        {FL_Left, 37},        {FL_Up, 38},         {FL_Right, 39},
    {FL_Down, 40},      {FL_Page_Up, 33},     {FL_Page_Down, 34},   {FL_End, 35},        {FL_Print, 44},
    {FL_Insert, 45},    {FL_Menu, 93},        {FL_Help, 47},        {FL_Num_Lock, 144},  {FL_KP_Enter, 13},
    {FL_KP + '*', 106}, {FL_KP + '+', 107},   {FL_KP + ',', 108},   {FL_KP + '-', 109},  {FL_KP + '.', 110},
    {FL_KP + '/', 111}, {FL_Shift_L, 16},     {FL_Shift_R, 16},     {FL_Control_L, 17},  {FL_Control_R, 17},
    {FL_Caps_Lock, 20}, {FL_Meta_L, 91},      {FL_Meta_R, 92},      {FL_Alt_L, 18},      {FL_Alt_R, 18},
    {FL_Delete, 46},
});

static_assert(std::is_sorted(kNamedKeys.begin(), kNamedKeys.end()));

constexpr int kFirstKeypadDigit = 96;
constexpr int kFirstFunctionKey = 112;
constexpr int kLastFunctionNumber = 24;
constexpr int kLatin1End = 0x100;

}  // namespace

int virtual_key_code(int fltk_key) {
  if (fltk_key >= 'a' && fltk_key <= 'z') return fltk_key - 'a' + 'A';
  if ((fltk_key >= 'A' && fltk_key <= 'Z') || (fltk_key >= '0' && fltk_key <= '9')) return fltk_key;
  if (fltk_key >= FL_KP + '0' && fltk_key <= FL_KP + '9') return fltk_key - (FL_KP + '0') + kFirstKeypadDigit;
  if (fltk_key > FL_F && fltk_key <= FL_F + kLastFunctionNumber) return fltk_key - FL_F - 1 + kFirstFunctionKey;
  const auto found = std::lower_bound(kNamedKeys.begin(), kNamedKeys.end(), KeyPair{fltk_key, 0});
  return found != kNamedKeys.end() && found->first == fltk_key ? found->second : 0;
}

int typed_character(std::string_view utf8_text) {
  if (utf8_text.empty()) return -1;
  int length = 0;
  const unsigned code = fl_utf8decode(utf8_text.data(), utf8_text.data() + utf8_text.size(), &length);
  return code < kLatin1End ? static_cast<int>(code) : '?';
}

}  // namespace quarlyn
