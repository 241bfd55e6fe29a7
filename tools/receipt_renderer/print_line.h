#pragma once
// One printed text line: characters in the styles the printer had when they arrived, laid out
// in the paper's columns and shown with plain-text markers or ANSI attributes.
#include <cstdint>
#include <string>
#include <vector>

namespace pos::receipt {

enum class Justification { Left, Centre, Right };

struct TextStyle {
    bool bold = false;
    bool underline = false;
    bool reverse = false;
    int width = 1;   // columns per character
    int height = 1;  // rows per character
    bool operator==(const TextStyle&) const = default;
};

class PrintLine {
  public:
    // A printed character (or a run of them) taking columns in the paper.
    void addText(std::string text, int columns, const TextStyle& style);
    // Bytes shown as they are (unknown commands): never marked, never spaced out.
    void addRaw(std::string text);
    // One byte the printer cannot print, as <hex>; neighbouring bytes share the brackets.
    void addRawByte(std::uint8_t byte);

    bool empty() const { return cells_.empty(); }
    int columns() const { return columns_; }
    void clear();

    // The line as it would print, justified by where its first character was placed.
    // Trailing spaces are dropped.
    std::string render(int paperColumns, bool ansi) const;

    // Taken from the printer when the first character arrives.
    void setJustification(Justification justification) { justification_ = justification; }

  private:
    struct Cell {
        std::string text;
        int columns = 1;
        TextStyle style;
        bool raw = false;
        bool looseBytes = false;  // made by addRawByte: more bytes may join
    };
    std::vector<Cell> cells_;
    int columns_ = 0;
    Justification justification_ = Justification::Left;
};

// Leading spaces that place a block of the given width on the paper.
int leadingSpaces(Justification justification, int blockColumns, int paperColumns);

}  // namespace pos::receipt
