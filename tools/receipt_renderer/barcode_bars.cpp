#include "barcode_bars.h"

#include <algorithm>
#include <array>

namespace pos::receipt {

namespace {

// Normalises m to the 65..73 numbering; 0 when it names no barcode.
std::uint8_t symbology(std::uint8_t m) {
    if (m <= 6) return static_cast<std::uint8_t>(m + 65);
    return m >= 65 && m <= 73 ? m : 0;
}

constexpr std::uint8_t kUpcA = 65;
constexpr std::uint8_t kEan13 = 67;
constexpr std::uint8_t kEan8 = 68;
constexpr std::uint8_t kCode128 = 73;

void addModules(std::vector<bool>& out, std::string_view bits) {
    for (const char b : bits) out.push_back(b == '1');
}

// ---- EAN and UPC ----

constexpr std::array<std::string_view, 10> kLeftOdd = {"0001101", "0011001", "0010011", "0111101",
                                                       "0100011", "0110001", "0101111", "0111011",
                                                       "0110111", "0001011"};
// Which left-hand digits of an EAN-13 use the even set; the first digit chooses the row.
constexpr std::array<std::string_view, 10> kEvenDigits = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL",
                                                          "LGLLGG", "LGGLLG", "LGGGLL", "LGLGLG",
                                                          "LGLGGL", "LGGLGL"};

std::string rightCode(int digit) {
    std::string bits(kLeftOdd[static_cast<std::size_t>(digit)]);
    for (char& b : bits) b = b == '1' ? '0' : '1';
    return bits;
}
std::string evenCode(int digit) {
    std::string bits = rightCode(digit);
    std::reverse(bits.begin(), bits.end());
    return bits;
}

// Weights 3 and 1 from the right of the data before the check digit.
int checkDigit(std::string_view digits) {
    int sum = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const int weight = (digits.size() - i) % 2 == 1 ? 3 : 1;
        sum += weight * (digits[i] - '0');
    }
    return (10 - sum % 10) % 10;
}

std::optional<BarPattern> eanPattern(std::string digits, std::size_t length) {
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    if (digits.size() == length - 1) digits += static_cast<char>('0' + checkDigit(digits));
    if (digits.size() != length) return std::nullopt;

    BarPattern p;
    p.text = digits;
    // EAN-13 hides its first digit in the choice of sets for the next six.
    const bool thirteen = length == 13;
    const std::string_view sets = thirteen ? kEvenDigits[static_cast<std::size_t>(digits[0] - '0')]
                                           : std::string_view("LLLL");
    const std::string_view coded = thirteen ? std::string_view(digits).substr(1) : digits;
    const std::size_t half = coded.size() / 2;
    addModules(p.modules, "101");
    for (std::size_t i = 0; i < half; ++i) {
        const int d = coded[i] - '0';
        addModules(p.modules, sets[i] == 'G' ? evenCode(d)
                                             : std::string(kLeftOdd[static_cast<std::size_t>(d)]));
    }
    addModules(p.modules, "01010");
    for (std::size_t i = half; i < coded.size(); ++i)
        addModules(p.modules, rightCode(coded[i] - '0'));
    addModules(p.modules, "101");
    return p;
}

// ---- Code 128 ----

// Bar and space widths of symbol values 0 to 105, bar first; each adds up to 11 modules.
constexpr std::array<std::string_view, 106> kCode128Widths = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212",
    "221213", "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221",
    "223211", "221132", "221231", "213212", "223112", "312131", "311222", "321122", "321221",
    "312212", "322112", "322211", "212123", "212321", "232121", "111323", "131123", "131321",
    "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331", "132131",
    "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311", "213131",
    "311123", "311321", "331121", "312113", "312311", "332111", "314111", "221411", "431111",
    "111224", "111422", "121124", "121421", "141122", "141221", "112214", "112412", "122114",
    "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111", "111242",
    "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232"};
constexpr std::string_view kCode128Stop = "2331112";

constexpr int kStartA = 103;
constexpr int kCodeC = 99;
constexpr int kCodeB = 100;
constexpr int kCodeA = 101;
constexpr int kFnc1 = 102;

void addWidths(std::vector<bool>& out, std::string_view widths) {
    bool bar = true;
    for (const char w : widths) {
        out.insert(out.end(), static_cast<std::size_t>(w - '0'), bar);
        bar = !bar;
    }
}

// The value of a character in code set A or B; -1 when the set lacks it.
int valueInSet(char set, std::uint8_t c) {
    if (set == 'A') {
        if (c < 0x20) return c + 64;
        if (c < 0x60) return c - 32;
        return -1;
    }
    if (c >= 0x20 && c < 0x80) return c - 32;
    return -1;
}

// The data as symbol values and as printed text; the "{x" pairs choose sets and functions,
// and code set C takes one byte per digit pair.
std::optional<BarPattern> code128Pattern(std::string_view data) {
    if (data.size() < 2 || data[0] != '{' || data[1] < 'A' || data[1] > 'C') return std::nullopt;
    char set = data[1];
    std::vector<int> values{kStartA + (set - 'A')};
    BarPattern p;
    for (std::size_t i = 2; i < data.size(); ++i) {
        const auto c = static_cast<std::uint8_t>(data[i]);
        if (c == '{') {
            if (++i == data.size()) return std::nullopt;
            const char f = data[i];
            if (f == '{') {
                const int v = set == 'C' ? -1 : valueInSet(set, '{');
                if (v < 0) return std::nullopt;
                values.push_back(v);
                p.text += '{';
            } else if (f >= 'A' && f <= 'C') {
                if (f != set) values.push_back(f == 'A' ? kCodeA : f == 'B' ? kCodeB : kCodeC);
                set = f;
            } else if (f == '1') {
                values.push_back(kFnc1);
            } else {
                return std::nullopt;
            }
            continue;
        }
        if (set == 'C') {
            if (c > 99) return std::nullopt;
            values.push_back(c);
            p.text += static_cast<char>('0' + c / 10);
            p.text += static_cast<char>('0' + c % 10);
            continue;
        }
        const int v = valueInSet(set, c);
        if (v < 0) return std::nullopt;
        values.push_back(v);
        if (c >= 0x20 && c < 0x7F) p.text += static_cast<char>(c);
    }
    if (values.size() < 2) return std::nullopt;
    long sum = values[0];
    for (std::size_t i = 1; i < values.size(); ++i) sum += static_cast<long>(i) * values[i];
    values.push_back(static_cast<int>(sum % 103));
    for (const int v : values) addWidths(p.modules, kCode128Widths[static_cast<std::size_t>(v)]);
    addWidths(p.modules, kCode128Stop);
    return p;
}

}  // namespace

const char* symbologyName(std::uint8_t m) {
    static constexpr std::array<const char*, 9> kNames = {
        "UPC-A", "UPC-E", "EAN13", "EAN8", "CODE39", "ITF", "CODABAR", "CODE93", "CODE128"};
    const std::uint8_t s = symbology(m);
    return s == 0 ? nullptr : kNames[s - 65u];
}

std::optional<BarPattern> barPattern(std::uint8_t m, std::string_view data) {
    switch (symbology(m)) {
        case kUpcA: {
            // A UPC-A is an EAN-13 that starts with 0, and prints without it.
            auto p = eanPattern("0" + std::string(data), 13);
            if (p) p->text.erase(0, 1);
            return p;
        }
        case kEan13:
            return eanPattern(std::string(data), 13);
        case kEan8:
            return eanPattern(std::string(data), 8);
        case kCode128:
            return code128Pattern(data);
        default:
            return std::nullopt;
    }
}

std::string drawModules(const std::vector<bool>& modules) {
    std::string out;
    for (std::size_t i = 0; i < modules.size(); i += 2) {
        const bool left = modules[i];
        const bool right = i + 1 < modules.size() && modules[i + 1];
        out += left && right ? "\u2588" : left ? "\u258C" : right ? "\u2590" : " ";
    }
    return out;
}

}  // namespace pos::receipt
