#include "receipt_renderer.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "barcode_bars.h"
#include "command_layout.h"
#include "dot_image.h"
#include "print_line.h"

namespace pos::receipt {

namespace {

using tools::kDle;
using tools::kEsc;
using tools::kFs;
using tools::kGs;
using Bytes = std::span<const std::uint8_t>;

constexpr std::uint8_t kLf = 0x0A;
constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kHt = 0x09;
constexpr std::uint8_t kFf = 0x0C;
constexpr int kTabColumns = 8;
constexpr int kLargestCharacterScale = 8;
// One line of text at the default spacing, for dot feeds.
constexpr int kDotsPerLine = 30;
constexpr std::uint8_t kDefaultBarHeight = 162;
// Unknown commands show this much of their data, then a count of the rest.
constexpr std::size_t kShownDataBytes = 16;

std::uint32_t word(Bytes b, std::size_t at) {
    return b[at] + 256u * b[at + 1];
}

std::string hexBytes(Bytes bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (const std::uint8_t b : bytes) {
        if (!out.empty()) out += ' ';
        out += kHex[b >> 4];
        out += kHex[b & 0x0F];
    }
    return out;
}

// A command the view does not know, with as much of its data as is worth showing.
std::string rawCommand(Bytes header, Bytes data) {
    std::string text = "<" + hexBytes(header);
    if (!data.empty()) {
        text += " " + hexBytes(data.first(std::min(data.size(), kShownDataBytes)));
        if (data.size() > kShownDataBytes)
            text += " +" + std::to_string(data.size() - kShownDataBytes) + " bytes";
    }
    return text + ">";
}

// Printable ASCII as it is, anything else as <hex>.
std::string visible(Bytes data) {
    std::string out;
    for (const std::uint8_t b : data) {
        if (b >= 0x20 && b < 0x7F) {
            out += static_cast<char>(b);
        } else {
            out += "<" + hexBytes(Bytes(&b, 1)) + ">";
        }
    }
    return out;
}

// Parameters given either as 0..n or as the digits '0'..'n'.
std::optional<int> smallParameter(std::uint8_t n, int largest) {
    if (n <= largest) return n;
    if (n >= '0' && n <= '0' + largest) return n - '0';
    return std::nullopt;
}

std::string dots(std::uint32_t width, std::uint32_t height) {
    return std::to_string(width) + "x" + std::to_string(height) + " dots";
}

class ReceiptView {
  public:
    explicit ReceiptView(const RenderOptions& options)
        : columns_(std::clamp(options.columns, kMinColumns, kMaxColumns)),
          ansi_(options.ansi),
          maxTextBytes_(options.maxTextBytes) {}

    std::string render(Bytes bytes);

  private:
    // Stream structure.
    std::size_t command(Bytes rest);
    void printable(std::uint8_t byte);
    void dispatch(Bytes header, Bytes data);
    void escCommand(Bytes h, Bytes data);
    void gsCommand(Bytes h, Bytes data);

    // Output.
    void putCharacter(char c);
    void rawText(std::string text);
    void rawByte(std::uint8_t byte);
    void lineFeed();
    void finishLine();
    void note(const std::string& text);
    void statusRequest(std::uint8_t n);
    void block(const std::string& lines) { out_ += lines; }

    // What the commands do.
    void initialize();
    void feedDots(int dots);
    void cut(std::uint8_t function);
    void barcode(std::uint8_t m, Bytes data);
    void rasterImage(Bytes h, Bytes data);
    void printStoredImage(std::uint8_t mode);
    void startPage();
    void printPage(bool keepPageMode);
    void leavePageMode();

    const int columns_;
    const bool ansi_;
    const std::size_t maxTextBytes_;
    std::string out_;
    PrintLine line_;
    TextStyle style_;
    Justification justification_ = Justification::Left;
    std::uint8_t hriPosition_ = 0;
    std::uint8_t barHeight_ = kDefaultBarHeight;
    std::optional<DotImage> storedImage_;
    bool pageMode_ = false;
    // The status requests in the last note, and where that note begins and ends in out_.
    std::size_t statusRequests_ = 0;
    std::size_t statusNoteStart_ = 0;
    std::size_t statusNoteEnd_ = 0;
};

std::string ReceiptView::render(Bytes bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        if (out_.size() > maxTextBytes_) {
            note("the rest is not shown: the text has grown past " + std::to_string(maxTextBytes_) +
                 " bytes at byte " + std::to_string(at) + " of " + std::to_string(bytes.size()));
            return out_;
        }
        const Bytes rest = bytes.subspan(at);
        if (tools::startsCommand(rest[0])) {
            const std::size_t used = command(rest);
            if (used == 0) break;  // the stream ends inside the command
            at += used;
        } else {
            printable(rest[0]);
            ++at;
        }
    }
    if (!line_.empty()) {
        finishLine();
        note("no line feed yet: the printer has not printed the line above");
    }
    if (pageMode_) note("page mode still open: the page is not printed yet");
    return out_;
}

// The command at the start of rest; the bytes it takes, 0 when the stream ends inside it.
std::size_t ReceiptView::command(Bytes rest) {
    std::size_t have = 1;
    tools::CommandLayout layout = tools::layoutOf(rest.first(have));
    while (layout.headerLength > have && layout.headerLength <= rest.size()) {
        have = layout.headerLength;
        layout = tools::layoutOf(rest.first(have));
    }
    std::optional<std::size_t> length;
    if (layout.headerLength <= rest.size()) {
        const Bytes after = rest.subspan(layout.headerLength);
        if (layout.dataEndsWithNul) {
            const auto nul = std::find(after.begin(), after.end(), 0);
            if (nul != after.end()) {
                const auto dataLength = static_cast<std::size_t>(nul - after.begin());
                dispatch(rest.first(layout.headerLength), after.first(dataLength));
                length = layout.headerLength + dataLength + 1;
            }
        } else if (layout.dataLength <= after.size()) {
            const auto dataLength = static_cast<std::size_t>(layout.dataLength);
            dispatch(rest.first(layout.headerLength), after.first(dataLength));
            length = layout.headerLength + dataLength;
        }
    }
    if (length) return *length;
    const std::size_t header = std::min(layout.headerLength, rest.size());
    rawText(rawCommand(rest.first(header), rest.subspan(header)));
    finishLine();
    note("the data ends inside the command above");
    return 0;
}

void ReceiptView::printable(std::uint8_t byte) {
    switch (byte) {
        case kLf:
            lineFeed();
            return;
        case kCr:  // a line ends with LF; CR alone moves nothing
            return;
        case kHt: {
            // To the next stop, or to the end of the line when the stop lies beyond it.
            const int stop = std::min((line_.columns() / kTabColumns + 1) * kTabColumns, columns_);
            if (stop <= line_.columns()) return;
            if (line_.empty()) line_.setJustification(justification_);
            line_.addText(" ", stop - line_.columns(), style_);
            return;
        }
        case kFf:
            if (pageMode_) {
                printPage(false);
                return;
            }
            break;
        default:
            if (byte >= 0x20 && byte < 0x7F) {
                putCharacter(static_cast<char>(byte));
                return;
            }
    }
    rawByte(byte);
}

void ReceiptView::dispatch(Bytes h, Bytes data) {
    if (h.size() < 2) {  // a DLE that starts no command is a byte like any other
        rawByte(h[0]);
        return;
    }
    switch (h[0]) {
        case kEsc:
            escCommand(h, data);
            return;
        case kGs:
            gsCommand(h, data);
            return;
        case kFs:
            if (h[1] == '!') return;  // sizes of two-byte characters only
            break;
        case kDle:
            if (h[1] == 0x04) {
                statusRequest(h[2]);
                return;
            }
            break;
    }
    rawText(rawCommand(h, data));
}

void ReceiptView::escCommand(Bytes h, Bytes data) {
    switch (h[1]) {
        case '@':
            initialize();
            return;
        case '!':
            style_.bold = (h[2] & 0x08) != 0;
            style_.height = (h[2] & 0x10) != 0 ? 2 : 1;
            style_.width = (h[2] & 0x20) != 0 ? 2 : 1;
            style_.underline = (h[2] & 0x80) != 0;
            return;
        case '-':
            if (const auto n = smallParameter(h[2], 2)) style_.underline = *n != 0;
            return;
        case 'E':
        case 'G':
            style_.bold = (h[2] & 1) != 0;
            return;
        case 'a':
            if (const auto n = smallParameter(h[2], 2))
                justification_ = static_cast<Justification>(*n);
            return;
        case 'J':
            feedDots(h[2]);
            return;
        case 'd':
            for (int i = 0; i < h[2]; ++i) lineFeed();
            return;
        case '2':
        case '3':
            return;  // line spacing
        case 'L':
            startPage();
            return;
        case 'S':
            leavePageMode();
            return;
        case kFf:
            if (pageMode_) {
                printPage(true);
                return;
            }
            break;
        case 'W':
            note("page area: " + dots(word(h, 6), word(h, 8)) + " at " +
                 std::to_string(word(h, 2)) + "," + std::to_string(word(h, 4)));
            return;
        case 'T': {
            static constexpr const char* kDirections[] = {"left to right", "bottom to top",
                                                          "right to left", "top to bottom"};
            if (const auto n = smallParameter(h[2], 3)) {
                note(std::string("page direction: ") + kDirections[*n]);
                return;
            }
            break;
        }
        case 'V':
            if (const auto n = smallParameter(h[2], 2)) {
                note(*n == 0 ? "characters turned 90 degrees: off"
                             : "characters turned 90 degrees: on");
                return;
            }
            break;
    }
    rawText(rawCommand(h, data));
}

void ReceiptView::gsCommand(Bytes h, Bytes data) {
    switch (h[1]) {
        case '!': {
            const int across = (h[2] & 0x0F) + 1;
            const int down = (h[2] >> 4) + 1;
            if (across > kLargestCharacterScale || down > kLargestCharacterScale) break;
            style_.width = across;
            style_.height = down;
            return;
        }
        case 'B':
            style_.reverse = (h[2] & 1) != 0;
            return;
        case 'H':
            if (const auto n = smallParameter(h[2], 3)) {
                hriPosition_ = static_cast<std::uint8_t>(*n);
                return;
            }
            break;
        case 'h':
            if (h[2] != 0) barHeight_ = h[2];
            return;
        case 'w':
        case 'L':
            return;  // bar width and left margin: the view keeps neither
        case 'V':
            cut(h[2]);
            return;
        case 'k':
            if (symbologyName(h[2]) != nullptr) {
                barcode(h[2], data);
                return;
            }
            break;
        case '(':
            if (h[2] == 'Q') {
                note("identification request");
                return;
            }
            if (h[2] == 'v') {  // the driver's raster image: GS ( v m xL xH yL yH
                rasterImage(h, data);
                return;
            }
            break;
        case 'v':  // GS v 0 m xL xH yL yH
            if (h.size() == 8) {
                rasterImage(h, data);
                return;
            }
            break;
        case '*':
            storedImage_ = imageFromColumns(data, h[2] * 8u, h[3]);
            note("stored image defined: " + dots(storedImage_->width, storedImage_->height));
            return;
        case '/':
            printStoredImage(h[2]);
            return;
        case 'a':
            note(h[2] != 0 ? "automatic status back: on" : "automatic status back: off");
            return;
    }
    rawText(rawCommand(h, data));
}

void ReceiptView::putCharacter(char c) {
    if (!line_.empty() && line_.columns() + style_.width > columns_) finishLine();  // wraps
    if (line_.empty()) line_.setJustification(justification_);
    line_.addText(std::string(1, c), style_.width, style_);
}

// Bytes shown as hex wrap at the paper's edge like text, so that no line grows without end.
void ReceiptView::rawText(std::string text) {
    if (!line_.empty() && line_.columns() + static_cast<int>(text.size()) > columns_) finishLine();
    line_.addRaw(std::move(text));
}

void ReceiptView::rawByte(std::uint8_t byte) {
    constexpr int kWidestByte = 4;  // "<xx>", or " xx" added inside the brackets
    if (!line_.empty() && line_.columns() + kWidestByte > columns_) finishLine();
    line_.addRawByte(byte);
}

void ReceiptView::lineFeed() {
    out_ += line_.render(columns_, ansi_) + '\n';
    line_.clear();
}

// Prints what waits in the line, if anything.
void ReceiptView::finishLine() {
    if (!line_.empty()) lineFeed();
}

void ReceiptView::note(const std::string& text) {
    out_ += "[" + text + "]\n";
}

// Requests with nothing written between them share one note.
void ReceiptView::statusRequest(std::uint8_t n) {
    static constexpr std::string_view kSingle = "[status request";
    const std::string number = " " + std::to_string(n) + "]\n";
    if (statusRequests_ == 0 || out_.size() != statusNoteEnd_) {
        statusRequests_ = 1;
        statusNoteStart_ = out_.size();
        out_ += std::string(kSingle) + number;
    } else {
        // The note grows at its end, so a long run of requests costs no more than its length.
        if (statusRequests_++ == 1) out_.insert(statusNoteStart_ + kSingle.size(), "s");
        out_.resize(out_.size() - 2);
        out_ += number;
    }
    statusNoteEnd_ = out_.size();
}

void ReceiptView::initialize() {
    const bool dropped = !line_.empty();
    line_.clear();
    style_ = TextStyle{};
    justification_ = Justification::Left;
    hriPosition_ = 0;
    barHeight_ = kDefaultBarHeight;
    storedImage_.reset();
    pageMode_ = false;
    note(dropped ? "initialize: the unprinted line is dropped" : "initialize");
}

void ReceiptView::feedDots(int dotCount) {
    finishLine();
    for (int i = 0; i < dotCount / kDotsPerLine; ++i) lineFeed();
}

void ReceiptView::cut(std::uint8_t function) {
    finishLine();
    const bool partial = function == 1 || function == '1' || function == 0x42 || function == 0x62;
    block(partial ? "----- partial cut -----\n" : "----- cut -----\n");
}

void ReceiptView::barcode(std::uint8_t m, Bytes data) {
    finishLine();
    const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
    note(std::string("BARCODE ") + symbologyName(m) + " " + visible(data) +
         " h=" + std::to_string(barHeight_));
    const std::optional<BarPattern> pattern = barPattern(m, text);
    std::string bars = pattern ? drawModules(pattern->modules) : std::string();
    // Half blocks take three bytes each in the text but one column on the screen.
    const int barColumns = pattern ? static_cast<int>((pattern->modules.size() + 1) / 2) : 0;
    if (barColumns > columns_) bars.clear();
    const std::string hri = pattern ? pattern->text : visible(data);
    const int blockColumns = bars.empty() ? static_cast<int>(hri.size()) : barColumns;
    const std::string indent(
        static_cast<std::size_t>(leadingSpaces(justification_, blockColumns, columns_)), ' ');
    const std::string hriLine =
        indent +
        std::string(static_cast<std::size_t>(leadingSpaces(
                        Justification::Centre, static_cast<int>(hri.size()), blockColumns)),
                    ' ') +
        hri + "\n";
    if (hriPosition_ == 1 || hriPosition_ == 3) block(hriLine);
    if (!bars.empty()) block(indent + bars + "\n" + indent + bars + "\n");
    if (hriPosition_ == 2 || hriPosition_ == 3) block(hriLine);
}

// Both raster commands: the mode at 3, then xL xH (bytes across) and yL yH (rows).
void ReceiptView::rasterImage(Bytes h, Bytes data) {
    const auto scale = smallParameter(h[3], 3);
    if (!scale) {
        rawText(rawCommand(h, data));
        return;
    }
    finishLine();
    DotImage image = imageFromRows(data, word(h, 4), word(h, 6));
    image = enlarged(image, (*scale & 1) ? 2 : 1, (*scale & 2) ? 2 : 1);
    note("RASTER IMAGE " + dots(image.width, image.height));
    block(drawImage(image, columns_, justification_));
}

void ReceiptView::printStoredImage(std::uint8_t mode) {
    finishLine();
    const auto scale = smallParameter(mode, 3);
    if (!storedImage_ || !scale) {
        note(storedImage_ ? "STORED IMAGE: unknown size" : "STORED IMAGE: none defined");
        return;
    }
    const DotImage image = enlarged(*storedImage_, (*scale & 1) ? 2 : 1, (*scale & 2) ? 2 : 1);
    note("STORED IMAGE " + dots(image.width, image.height));
    block(drawImage(image, columns_, justification_));
}

void ReceiptView::startPage() {
    if (pageMode_) return;
    finishLine();
    pageMode_ = true;
    block("===== page mode =====\n");
}

void ReceiptView::printPage(bool keepPageMode) {
    finishLine();
    pageMode_ = keepPageMode;
    block(keepPageMode ? "===== page printed, page mode goes on =====\n"
                       : "===== page printed =====\n");
}

void ReceiptView::leavePageMode() {
    if (!pageMode_) return;
    line_.clear();
    pageMode_ = false;
    block("===== page dropped: back to standard mode =====\n");
}

}  // namespace

std::string renderReceipt(std::span<const std::uint8_t> bytes, const RenderOptions& options) {
    return ReceiptView(options).render(bytes);
}

}  // namespace pos::receipt
