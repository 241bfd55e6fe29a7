#include "print_line.h"

namespace pos::receipt {

namespace {

struct Markers {
    std::string open;
    std::string close;
};

// Tall text has no terminal attribute, so it keeps its plain marker in both forms.
Markers markersFor(const TextStyle& s, bool raw, bool ansi) {
    Markers m;
    if (raw) return m;
    if (s.height > 1) {
        m.open += "^^";
    }
    if (ansi) {
        std::string codes;
        if (s.bold) codes += ";1";
        if (s.underline) codes += ";4";
        if (s.reverse) codes += ";7";
        if (!codes.empty()) {
            m.open += "\x1b[" + codes.substr(1) + "m";
            m.close = "\x1b[0m";
        }
    } else {
        if (s.reverse) m.open += "[[";
        if (s.underline) m.open += "__";
        if (s.bold) m.open += "**";
        if (s.bold) m.close += "**";
        if (s.underline) m.close += "__";
        if (s.reverse) m.close += "]]";
    }
    if (s.height > 1) m.close += "^^";
    return m;
}

}  // namespace

int leadingSpaces(Justification justification, int blockColumns, int paperColumns) {
    const int room = paperColumns - blockColumns;
    if (room <= 0) return 0;
    switch (justification) {
        case Justification::Centre:
            return room / 2;
        case Justification::Right:
            return room;
        default:
            return 0;
    }
}

void PrintLine::addText(std::string text, int columns, const TextStyle& style) {
    columns_ += columns;
    cells_.push_back({std::move(text), columns, style, false});
}

void PrintLine::addRaw(std::string text) {
    const int columns = static_cast<int>(text.size());
    columns_ += columns;
    cells_.push_back({std::move(text), columns, TextStyle{}, true});
}

void PrintLine::addRawByte(std::uint8_t byte) {
    static constexpr char kHex[] = "0123456789abcdef";
    const std::string hex{kHex[byte >> 4], kHex[byte & 0x0F]};
    if (!cells_.empty() && cells_.back().looseBytes) {
        Cell& last = cells_.back();
        last.text.insert(last.text.size() - 1, " " + hex);
        last.columns += 3;
        columns_ += 3;
        return;
    }
    addRaw("<" + hex + ">");
    cells_.back().looseBytes = true;
}

void PrintLine::clear() {
    cells_.clear();
    columns_ = 0;
    justification_ = Justification::Left;
}

std::string PrintLine::render(int paperColumns, bool ansi) const {
    std::string out(static_cast<std::size_t>(leadingSpaces(justification_, columns_, paperColumns)),
                    ' ');
    for (std::size_t i = 0; i < cells_.size();) {
        // A run: neighbouring cells of one style share one pair of markers.
        std::size_t end = i + 1;
        while (end < cells_.size() && !cells_[end].raw && !cells_[i].raw &&
               cells_[end].style == cells_[i].style) {
            ++end;
        }
        const Markers markers = markersFor(cells_[i].style, cells_[i].raw, ansi);
        out += markers.open;
        std::string spacing;  // the last character's widening goes outside the markers
        for (std::size_t c = i; c < end; ++c) {
            const Cell& cell = cells_[c];
            out += spacing;
            out += cell.text;
            const int glyphs = cell.raw ? cell.columns : 1;
            spacing.assign(
                static_cast<std::size_t>(cell.columns > glyphs ? cell.columns - glyphs : 0), ' ');
        }
        out += markers.close;
        out += spacing;
        i = end;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

}  // namespace pos::receipt
