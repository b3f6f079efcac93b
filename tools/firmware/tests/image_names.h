// The names of the FPGA images the library can ask for, derived from its selection rule (mode
// prefix; band and symbol clock variant; modulation suffix) over every mode, modulation kind and a
// carrier and clock on each side of every boundary.
#pragma once

#include <set>
#include <string>

namespace firmware::test {

inline std::string imageName(int mode, double carrierMHz, double clockKHz, int modKind) {
    static const char* const prefix[5] = {"emd", "mod", "mmd", "mom", "mow"};
    std::string name = prefix[mode];
    if (carrierMHz <= 600.0) {
        name += clockKHz > 55000.0 ? "i_shi" : clockKHz >= 30000.0 ? "i_hi" : "i_32c";
    } else if (clockKHz > 160000.0) {
        name += "L_UF";
        if ((mode == 0 || mode == 2) && modKind == 3) name += "4";
        if ((mode == 0 || mode == 2) && modKind == 4) name += "S";
    } else if (clockKHz >= 61000.0) {
        name += "L_NF";
        if (mode != 1 && modKind == 3) name += "4";
        if (mode != 1 && modKind == 4) name += "o";
    } else {
        name += "L_32c";
    }
    return name;
}

inline std::set<std::string> reachableImageNames() {
    std::set<std::string> names;
    for (int mode = 0; mode < 5; ++mode)
        for (double carrier : {70.0, 600.0, 600.5, 1000.0, 2150.0})
            for (double clock :
                 {100.0, 29999.0, 30000.0, 55000.0, 55001.0, 60999.0, 61000.0, 160000.0, 160001.0, 220000.0})
                for (int kind = 0; kind < 20; ++kind)
                    names.insert(imageName(mode, carrier, clock, kind));
    return names;
}

}  // namespace firmware::test
