#include "bench/BenchRows.h"

#include <algorithm>
#include <cmath>

const char* MethodName(Method method)
{
    switch (method) {
    case Method::Floor:
        return "floor (libjpeg)";
    case Method::Ours:
        return "ours";
    case Method::ImageMagick:
        return "convert -sample";
    case Method::Vips:
        return "vipsthumbnail -s";
    }
    return "";
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return std::nan("");
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}
