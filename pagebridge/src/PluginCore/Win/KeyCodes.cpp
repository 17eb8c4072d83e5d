#include "PluginCore/Win/KeyCodes.h"

#include <map>

namespace PB {

namespace {

const unsigned int unknownKey = 84;

std::map<unsigned int, unsigned int> makeTable()
{
    std::map<unsigned int, unsigned int> t = {
        {1, 35},   {2, 51},   {3, 2},    {4, 36},   {8, 68},   {9, 60},   {12, 4},   {13, 52},  {16, 56},
        {17, 5},   {18, 1},   {19, 71},  {20, 3},   {27, 9},   {32, 58},  {33, 50},  {34, 49},  {35, 69},
        {36, 70},  {37, 63},  {38, 61},  {39, 64},  {40, 62},  {41, 54},  {42, 72},  {43, 10},  {44, 57},
        {45, 34},  {46, 7},   {47, 33},  {91, 65},  {92, 67},  {93, 66},  {106, 37}, {107, 0},  {108, 55},
        {109, 59}, {110, 6},  {111, 8},  {112, 11}, {113, 22}, {114, 26}, {115, 27}, {116, 28}, {117, 29},
        {118, 30}, {119, 31}, {120, 32}, {131, 23}, {132, 24}, {133, 25}, {144, 38}, {145, 53},
    };
    for (unsigned int n = 0; n <= 9; ++n)
        t[96 + n] = 39 + n;  // the number pad's digits
    for (unsigned int n = 0; n <= 9; ++n)
        t[121 + n] = 12 + n;  // F10 to F19
    return t;
}

}  // namespace

unsigned int translateVirtualKey(unsigned int vk)
{
    static const std::map<unsigned int, unsigned int> table = makeTable();
    auto found = table.find(vk);
    return found == table.end() ? unknownKey : found->second;
}

}  // namespace PB
