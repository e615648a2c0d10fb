#pragma once

#include <string>
#include <vector>

// What the figures were measured on, as "name: value" lines.
struct MachineInfo {
    std::vector<std::pair<std::string, std::string>> facts;
};

// imageMagick and vips are the tools' paths ("" when absent); temporaryDirectory is where the files were.
MachineInfo DescribeMachine(const std::string& imageMagick, const std::string& vips,
                            const std::string& temporaryDirectory);
