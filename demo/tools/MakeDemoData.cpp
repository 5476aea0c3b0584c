// Writes the content of the demo medium's two archives as folder trees:
//
//   make_demo_data version FOLDER       the version data of the program
//   make_demo_data environments FOLDER  the engineering environments
//
// The files look like what an engineering application ships: section
// tables, design code parameters, material and load case definitions,
// templates, help pages, and a few large data files. The content is made by
// a fixed pseudo-random sequence, so every build writes the same bytes.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint32_t Next() {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(m_state >> 33);
    }
    int Between(int low, int high) { return low + static_cast<int>(Next() % static_cast<std::uint32_t>(high - low + 1)); }
    double Real(double low, double high) { return low + (high - low) * (Next() / 4294967296.0); }

private:
    std::uint64_t m_state;
};

void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string Number(double value, int decimals = 2) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

const char* kFamilies[] = {"IPE", "HEA", "HEB", "HEM", "UPN", "UPE", "L", "RHS", "SHS", "CHS"};
const char* kMaterials[] = {"S235", "S275", "S355", "S420", "S460", "C20/25", "C25/30", "C30/37",
                            "C35/45", "GL24h", "GL28h", "C24", "B500B"};
const char* kLanguages[] = {"nld", "deu", "enu", "fra", "esp"};

std::string SectionTable(Random& rnd, const std::string& family) {
    std::string csv = "name;h_mm;b_mm;tw_mm;tf_mm;r_mm;A_cm2;Iy_cm4;Iz_cm4;Wel_y_cm3;mass_kg_m\r\n";
    for (int size = 80; size <= 1000; size += rnd.Between(10, 40)) {
        const double h = size;
        const double b = h * rnd.Real(0.4, 1.0);
        csv += family + " " + std::to_string(size) + ";" + Number(h, 1) + ";" + Number(b, 1) + ";" +
               Number(h / rnd.Real(25, 45), 1) + ";" + Number(h / rnd.Real(15, 30), 1) + ";" +
               Number(rnd.Real(5, 27), 1) + ";" + Number(h * b / rnd.Real(60, 90)) + ";" +
               Number(h * h * h * b / rnd.Real(1e5, 3e5)) + ";" + Number(b * b * b * h / rnd.Real(2e5, 6e5)) +
               ";" + Number(h * h * b / rnd.Real(3e3, 9e3)) + ";" + Number(h * b / rnd.Real(80, 120)) + "\r\n";
    }
    return csv;
}

std::string Xml(Random& rnd, const std::string& root, const std::string& name, int items) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<" + root + " name=\"" + name + "\">\r\n";
    for (int i = 0; i < items; ++i) {
        xml += "  <parameter id=\"" + root.substr(0, 3) + std::to_string(i) + "\" value=\"" +
               Number(rnd.Real(0.1, 500), 3) + "\" unit=\"" + (i % 3 == 0 ? "kN" : i % 3 == 1 ? "mm" : "MPa") +
               "\" factor=\"" + Number(rnd.Real(0.8, 1.6), 2) + "\"/>\r\n";
    }
    return xml + "</" + root + ">\r\n";
}

// A large data file: records of floating-point values with some structure,
// compressible the way real mesh or catalogue data is.
std::string DataFile(Random& rnd, std::size_t bytes) {
    std::string data;
    data.reserve(bytes);
    data += "VGDATA01";
    while (data.size() < bytes) {
        const std::uint32_t node = rnd.Next() % 100000;
        const float coordinates[3] = {static_cast<float>(rnd.Real(-50, 50)), static_cast<float>(rnd.Real(-50, 50)),
                                      static_cast<float>(rnd.Between(0, 40) * 0.25)};
        data.append(reinterpret_cast<const char*>(&node), sizeof node);
        data.append(reinterpret_cast<const char*>(coordinates), sizeof coordinates);
        data.append(16, '\0');
    }
    data.resize(bytes);
    return data;
}

void MakeVersion(const fs::path& root) {
    Random rnd(16001);
    const fs::path version = root / "16.0";
    for (const char* family : kFamilies) {
        Write(version / "sections" / (std::string(family) + ".csv"), SectionTable(rnd, family));
    }
    for (int code = 0; code < 6; ++code) {
        const std::string codeName = std::string("EN199") + std::to_string(code);
        for (int part = 1; part <= 12; ++part) {
            Write(version / "codes" / codeName / ("part-" + std::to_string(part) + ".xml"),
                  Xml(rnd, "designcode", codeName + "-1-" + std::to_string(part), rnd.Between(20, 120)));
        }
    }
    for (const char* language : kLanguages) {
        for (int i = 0; i < 8; ++i) {
            std::string text;
            for (int line = 0; line < 200; ++line) {
                text += "MSG" + std::to_string(i * 1000 + line) + "=" + language + " text " +
                        std::to_string(rnd.Next() % 10000) + "\r\n";
            }
            Write(version / "lang" / language / ("messages-" + std::to_string(i) + ".txt"), text);
        }
    }
    for (int i = 0; i < 48; ++i) {
        Write(version / "templates" / ("report-" + std::to_string(i) + ".vgt"),
              Xml(rnd, "template", "report " + std::to_string(i), rnd.Between(10, 60)));
    }
    for (int i = 0; i < 80; ++i) {
        std::string html = "<html><head><title>Varnek Gerrix help " + std::to_string(i) +
                           "</title></head><body>\r\n<h1>Topic " + std::to_string(i) + "</h1>\r\n";
        for (int p = 0; p < rnd.Between(5, 30); ++p) {
            html += "<p>Section " + std::to_string(p) + ": checks of members and connections, value " +
                    Number(rnd.Real(0, 1000)) + ".</p>\r\n";
        }
        Write(version / "help" / ("topic-" + std::to_string(i) + ".html"), html + "</body></html>\r\n");
    }
    Write(version / "data" / "mesh-library.bin", DataFile(rnd, 12 * 1024 * 1024));
    Write(version / "readme.txt", "Varnek Gerrix 16.0 - localized data of the demo medium.\r\n");
}

void MakeEnvironments(const fs::path& root) {
    Random rnd(16002);
    const char* environments[] = {"Default", "Steel", "Concrete", "Timber", "Bridges"};
    for (const char* environment : environments) {
        const fs::path folder = root / environment;
        Write(folder / "settings.ini", std::string("[Environment]\r\nName=") + environment +
                                           "\r\nUnits=kN,m\r\nCode=EN1993\r\n");
        for (int i = 0; i < 24; ++i) {
            Write(folder / "loadcases" / ("LC" + std::to_string(i + 1) + ".xml"),
                  Xml(rnd, "loadcase", std::string(environment) + " LC" + std::to_string(i + 1), rnd.Between(5, 40)));
        }
        for (const char* material : kMaterials) {
            std::string name = material;
            for (char& c : name) {
                if (c == '/') {
                    c = '-';
                }
            }
            Write(folder / "materials" / (name + ".xml"), Xml(rnd, "material", material, rnd.Between(8, 20)));
        }
        for (int i = 0; i < 20; ++i) {
            Write(folder / "combinations" / ("combination-" + std::to_string(i) + ".xml"),
                  Xml(rnd, "combination", std::to_string(i), rnd.Between(4, 16)));
        }
    }
    Write(root / "Default" / "catalogue.dat", DataFile(rnd, 16 * 1024 * 1024));
    Write(root / "Bridges" / "traffic-models.dat", DataFile(rnd, 4 * 1024 * 1024));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_demo_data version|environments FOLDER\n";
        return 2;
    }
    const std::string kind = argv[1];
    const fs::path folder = argv[2];
    fs::remove_all(folder);
    if (kind == "version") {
        MakeVersion(folder);
    } else if (kind == "environments") {
        MakeEnvironments(folder);
    } else {
        std::cerr << "unknown kind " << kind << "\n";
        return 2;
    }
    return 0;
}
