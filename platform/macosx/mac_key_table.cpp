// The key index of each Mac hardware key code (ANSI layout), for the 'OSXK' keyboard driver.
#include "platform/macosx/osx_keyboard.h"

namespace corvane::macosx {
namespace {

struct key_code_entry {
  std::uint8_t code;
  std::uint8_t index;
};

// Letters, digits and punctuation, then the editing, function and keypad keys.
constexpr key_code_entry key_codes[] = {
    {0x00, 1},   {0x01, 19},  {0x02, 4},   {0x03, 6},   {0x04, 8},   {0x05, 7},   {0x06, 26},
    {0x07, 24},  {0x08, 3},   {0x09, 22},  {0x0B, 2},   {0x0C, 17},  {0x0D, 23},  {0x0E, 5},
    {0x0F, 18},  {0x10, 25},  {0x11, 20},  {0x12, 28},  {0x13, 29},  {0x14, 30},  {0x15, 31},
    {0x16, 33},  {0x17, 32},  {0x18, 62},  {0x19, 36},  {0x1A, 34},  {0x1B, 61},  {0x1C, 35},
    {0x1D, 27},  {0x1E, 66},  {0x1F, 15},  {0x20, 21},  {0x21, 65},  {0x22, 9},   {0x23, 16},
    {0x24, 67},  {0x25, 12},  {0x26, 10},  {0x27, 69},  {0x28, 11},  {0x29, 105}, {0x2A, 70},
    {0x2B, 72},  {0x2C, 74},  {0x2D, 14},  {0x2E, 13},  {0x2F, 73},  {0x30, 64},  {0x31, 75},
    {0x32, 104}, {0x33, 63},  {0x34, 67},  {0x35, 59},  {0x37, 106}, {0x38, 115}, {0x39, 126},
    {0x3A, 119}, {0x3B, 82},  {0x3C, 83},  {0x3D, 85},  {0x3E, 84},  {0x41, 73},  {0x43, 87},
    {0x45, 89},  {0x47, 125}, {0x4B, 86},  {0x4C, 91},  {0x4E, 88},  {0x51, 103}, {0x52, 37},
    {0x53, 38},  {0x54, 39},  {0x55, 40},  {0x56, 41},  {0x57, 42},  {0x58, 43},  {0x59, 44},
    {0x5B, 45},  {0x5C, 46},  {0x60, 51},  {0x61, 52},  {0x62, 53},  {0x63, 49},  {0x64, 54},
    {0x65, 55},  {0x67, 57},  {0x69, 92},  {0x6B, 124}, {0x6D, 56},  {0x6F, 58},  {0x71, 93},
    {0x72, 76},  {0x73, 78},  {0x74, 80},  {0x75, 77},  {0x76, 50},  {0x77, 79},  {0x78, 48},
    {0x79, 81},  {0x7A, 47},  {0x7B, 82},  {0x7C, 83},  {0x7D, 85},  {0x7E, 84},
};

constexpr std::array<std::uint8_t, 128> make_key_table() {
  std::array<std::uint8_t, 128> table{};
  for (const key_code_entry &entry : key_codes) table[entry.code] = entry.index;
  return table;
}

}  // namespace

const std::array<std::uint8_t, 128> mac_key_table = make_key_table();

}  // namespace corvane::macosx
