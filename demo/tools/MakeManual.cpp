// Turns a plain-text manual into a small PDF file for the demo medium.
//
//   make_manual SOURCE.txt TARGET.pdf
//
// The text file is UTF-8: its first line is the title, paragraphs are
// separated by empty lines, and a line starting with "# " is a heading. The
// PDF uses the standard Helvetica fonts with WinAnsiEncoding, so the text
// may hold any character of Windows code page 1252.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// UTF-8 to Windows-1252 for the characters a manual in Western European
// languages uses; anything else becomes "?".
std::string ToWinAnsi(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        char32_t cp = c;
        std::size_t len = 1;
        if (c >= 0xF0) {
            len = 4;
        } else if (c >= 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xC0) {
            len = 2;
            cp = c & 0x1F;
        }
        for (std::size_t k = 1; k < len && i + k < utf8.size(); ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += len;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
        } else if (cp == 0x2013) {
            out += '\x96';
        } else if (cp == 0x2014) {
            out += '\x97';
        } else if (cp == 0x2018 || cp == 0x2019) {
            out += '\x92';
        } else if (cp == 0x201C || cp == 0x201D) {
            out += '\x94';
        } else if (cp == 0x2022) {
            out += '\x95';
        } else if (cp == 0x20AC) {
            out += '\x80';
        } else {
            out += '?';
        }
    }
    return out;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '(' || c == ')' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

// Breaks a paragraph into lines of at most `width` characters.
std::vector<std::string> Wrap(const std::string& paragraph, std::size_t width) {
    std::vector<std::string> lines;
    std::istringstream words(paragraph);
    std::string word;
    std::string line;
    while (words >> word) {
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            lines.push_back(line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

struct Line {
    std::string text;
    int font; // 1 regular, 2 bold
    int size;
    int gapBefore;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_manual SOURCE.txt TARGET.pdf\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << "cannot read " << argv[1] << "\n";
        return 1;
    }
    std::vector<Line> lines;
    std::string raw;
    std::getline(in, raw);
    lines.push_back({ToWinAnsi(raw), 2, 18, 0});
    std::string paragraph;
    auto flush = [&] {
        if (!paragraph.empty()) {
            bool first = true;
            for (const auto& l : Wrap(ToWinAnsi(paragraph), 92)) {
                lines.push_back({l, 1, 11, first ? 8 : 0});
                first = false;
            }
            paragraph.clear();
        }
    };
    while (std::getline(in, raw)) {
        if (!raw.empty() && raw.back() == '\r') {
            raw.pop_back();
        }
        if (raw.empty()) {
            flush();
        } else if (raw.rfind("# ", 0) == 0) {
            flush();
            lines.push_back({ToWinAnsi(raw.substr(2)), 2, 13, 16});
        } else {
            paragraph += (paragraph.empty() ? "" : " ") + raw;
        }
    }
    flush();

    // Lay the lines out on A4 pages (595 x 842 points), 56 points margins.
    std::vector<std::string> pages;
    std::string content;
    int y = 786;
    for (const Line& line : lines) {
        const int step = line.size + 4 + line.gapBefore;
        if (y - step < 56 && !content.empty()) {
            pages.push_back(content);
            content.clear();
            y = 786;
        }
        y -= step;
        content += "BT /F" + std::to_string(line.font) + " " + std::to_string(line.size) +
                   " Tf 56 " + std::to_string(y) + " Td (" + Escape(line.text) + ") Tj ET\n";
    }
    pages.push_back(content);

    // Objects: 1 catalog, 2 pages, 3 and 4 fonts, then a page and its
    // content stream for every page.
    std::vector<std::string> objects;
    std::string kids;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        kids += std::to_string(5 + 2 * p) + " 0 R ";
    }
    objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
    objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>");
    objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>");
    for (std::size_t p = 0; p < pages.size(); ++p) {
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 3 0 R /F2 4 0 R >> >> /Contents " +
                          std::to_string(6 + 2 * p) + " 0 R >>");
        objects.push_back("<< /Length " + std::to_string(pages[p].size()) + " >>\nstream\n" + pages[p] + "endstream");
    }

    std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";

    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << pdf;
    return out ? 0 : 1;
}
