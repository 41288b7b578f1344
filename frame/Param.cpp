#include "Param.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace quendaris {

namespace {

// Decimal places a step needs to be shown exactly: 1 -> 0, 0.1 -> 1, 0.25 -> 2; at most 6.
int PrecisionOfStep(double step) {
    int precision = 0;
    double scaled = step;
    while (precision < 6 && std::isfinite(scaled) && std::floor(scaled) != scaled) {
        ++precision;
        scaled *= 10.0;
    }
    return precision;
}

// Length of the leading decimal number: blanks, sign, digits with an optional point, exponent.
// Hexadecimal, "inf" and "nan" are not numbers a user types into a knob.
const char* ScanDecimal(const char* text, const char** numberStart) {
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v')
        ++p;
    *numberStart = p;
    if (*p == '+' || *p == '-')
        ++p;
    const char* digitsStart = p;
    while (*p >= '0' && *p <= '9')
        ++p;
    bool anyDigit = p != digitsStart;
    if (*p == '.') {
        ++p;
        const char* fraction = p;
        while (*p >= '0' && *p <= '9')
            ++p;
        anyDigit = anyDigit || p != fraction;
    }
    if (!anyDigit)
        return *numberStart;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-')
            ++q;
        const char* exponentDigits = q;
        while (*q >= '0' && *q <= '9')
            ++q;
        if (q != exponentDigits)
            p = q;
    }
    return p;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// from_chars reports overflow and underflow alike; the decimal order of the number's first
// significant digit tells them apart (out of range means it lies far beyond 0 either way).
bool BeyondLargestRatherThanSmallest(const char* p, const char* end) {
    long order = 0;
    bool significant = false;
    for (; p < end && IsDigit(*p); ++p) {
        if (significant)
            ++order;
        else if (*p != '0')
            significant = true;
    }
    if (p < end && *p == '.') {
        for (++p; p < end && IsDigit(*p); ++p) {
            if (significant)
                continue;
            --order;
            significant = *p != '0';
        }
    }
    long exponent = 0;
    bool negativeExponent = false;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < end && (*p == '+' || *p == '-'))
            negativeExponent = *p++ == '-';
        for (; p < end && IsDigit(*p); ++p)
            exponent = std::min(exponent * 10 + (*p - '0'), 100000L);
    }
    return order + (negativeExponent ? -exponent : exponent) >= 0;
}

double ParseDecimalPrefix(const char* text) {
    const char* start = nullptr;
    const char* end = ScanDecimal(text, &start);
    if (end == start)
        return 0.0;
    // from_chars takes no leading plus sign.
    bool negative = *start == '-';
    if (*start == '+' || *start == '-')
        ++start;
    double value = 0.0;
    auto result = std::from_chars(start, end, value);
    if (result.ec == std::errc::result_out_of_range) {
        value = BeyondLargestRatherThanSmallest(start, end) ? HUGE_VAL : 0.0;
    } else if (result.ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

double RoundHalfAwayFromZero(double value) {
    return std::round(value);
}

}  // namespace

void CopyTruncated(char* destination, int capacity, const char* source) {
    if (capacity <= 0)
        return;
    if (!source)
        source = "";
    size_t length = std::min(std::strlen(source), static_cast<size_t>(capacity - 1));
    std::memcpy(destination, source, length);
    destination[length] = '\0';
}

Param::Param() : mShape(new ShapeLinear) {}

Param::~Param() = default;

const Param::Shape& Param::ShapeLinearInstance() {
    static const ShapeLinear shape;
    return shape;
}

void Param::DeclareDouble(const char* name, double defaultValue, double minimum, double maximum,
                          double step, const char* label, int flags, const char* group,
                          const Shape& shape, int unit, DisplayFunction displayFunction) {
    if (mType == kTypeNone)
        mType = kTypeDouble;
    CopyTruncated(mName, kParamTextSize, name);
    CopyTruncated(mLabel, kParamTextSize, label);
    CopyTruncated(mGroup, kParamTextSize, group);
    mMin = minimum;
    mMax = std::max(minimum + step, maximum);
    mStep = step;
    mDefault = defaultValue;
    mUnit = unit;
    mFlags = flags;
    mDisplayFunction = std::move(displayFunction);
    mValue.store(Confine(defaultValue));
    mDisplayPrecision = PrecisionOfStep(step);
    mShape.reset(shape.Duplicate());
    mShape->Prepare(*this);
}

void Param::DeclareEnum(const char* name, int defaultIndex, int count, const char* label, int flags,
                        const char* group, std::initializer_list<const char*> texts) {
    if (mType == kTypeNone)
        mType = kTypeEnum;
    DeclareDouble(name, defaultIndex, 0.0, count - 1, 1.0, label, flags | kFlagStepped, group,
                  ShapeLinearInstance(), kUnitCustom, nullptr);
    if (texts.size() == 0 || *texts.begin() == nullptr)
        return;
    int index = 0;
    for (const char* text : texts) {
        if (index >= count)
            break;
        AddDisplayText(index, text);
        ++index;
    }
}

void Param::DeclareBool(const char* name, bool defaultOn, const char* label, int flags,
                        const char* group, const char* offText, const char* onText) {
    if (mType == kTypeNone)
        mType = kTypeBool;
    DeclareEnum(name, defaultOn ? 1 : 0, 2, label, flags | kFlagStepped, group);
    AddDisplayText(0, offText);
    AddDisplayText(1, onText);
}

void Param::SetValue(double value) {
    if (std::isnan(value))
        return;
    mValue.store(Confine(value));
}

void Param::SetNormal(double normal) {
    if (std::isnan(normal))
        return;
    mValue.store(FromNormal(normal));
}

double Param::Confine(double value) const {
    // A non-number has no place in the range; the default is the one safe value.
    if (std::isnan(value))
        value = mDefault;
    if ((mFlags & kFlagStepped) && mStep > 0.0 && std::isfinite(mStep)) {
        value = RoundHalfAwayFromZero(value / mStep) * mStep;
    }
    return std::min(mMax, std::max(mMin, value));
}

double Param::ToNormal(double value) const {
    double normal = mShape->ValueToNormal(Confine(value), *this);
    if (std::isnan(normal))
        return 0.0;
    return std::min(1.0, std::max(0.0, normal));
}

double Param::FromNormal(double normal) const {
    return Confine(mShape->NormalToValue(normal, *this));
}

double Param::DefaultValue(bool normalised) const {
    return normalised ? ToNormal(mDefault) : mDefault;
}

void Param::FormatValue(double value, bool valueIsNormal, std::string& text,
                        bool useDisplayTexts) const {
    if (valueIsNormal)
        value = FromNormal(value);
    if (mDisplayFunction) {
        mDisplayFunction(value, text);
        if (text.size() >= kParamTextSize)
            text.resize(kParamTextSize - 1);
        return;
    }
    if (useDisplayTexts) {
        const char* displayText = DisplayTextFor(value);
        if (*displayText) {
            text = displayText;
            return;
        }
    }
    if (mFlags & kFlagNegateDisplay)
        value = -value;
    if (value == 0.0)
        value = 0.0;
    FormatNumber(value, text);
}

void Param::FormatNumber(double value, std::string& text) const {
    // Wide enough for any double in fixed notation; the result is then cut to the field size.
    char buffer[512];
    char* p = buffer;
    std::to_chars_result result;
    if (mDisplayPrecision == 0) {
        double whole = RoundHalfAwayFromZero(value);
        if (whole == 0.0)
            whole = 0.0;
        result = std::to_chars(p, buffer + sizeof buffer, whole, std::chars_format::fixed, 0);
    } else {
        if ((mFlags & kFlagSignDisplay) && value != 0.0 && !std::signbit(value))
            *p++ = '+';
        result = std::to_chars(p, buffer + sizeof buffer, value, std::chars_format::fixed,
                               mDisplayPrecision);
    }
    const char* end = result.ec == std::errc() ? result.ptr : p;
    size_t length = std::min(static_cast<size_t>(end - buffer), size_t{kParamTextSize - 1});
    text.assign(buffer, length);
}

double Param::ParseText(const char* text) const {
    if (!text)
        text = "";
    for (const DisplayText& entry : mDisplayTexts) {
        if (std::strcmp(entry.text, text) == 0)
            return entry.value;
    }
    if (mType == kTypeBool || mType == kTypeEnum)
        return 0.0;
    double value = ParseDecimalPrefix(text);
    if (mFlags & kFlagNegateDisplay)
        value = -value;
    return Confine(value);
}

void Param::AddDisplayText(double value, const char* text) {
    DisplayText entry;
    entry.value = value;
    CopyTruncated(entry.text, kParamTextSize, text);
    mDisplayTexts.push_back(entry);
}

const char* Param::DisplayTextFor(double value) const {
    for (const DisplayText& entry : mDisplayTexts) {
        if (entry.value == value)
            return entry.text;
    }
    return "";
}

const Param::DisplayText* Param::DisplayTextAt(int index) const {
    if (index < 0 || index >= DisplayTextCount())
        return nullptr;
    return &mDisplayTexts[index];
}

const char* Param::Label() const {
    double whole = std::trunc(Value());
    if (*DisplayTextFor(whole))
        return "";
    return mLabel;
}

double ShapeLinear::NormalToValue(double normal, const Param& param) const {
    return param.Min() + normal * param.Range();
}

double ShapeLinear::ValueToNormal(double value, const Param& param) const {
    return (value - param.Min()) / param.Range();
}

int ShapePowCurve::DisplayKind() const {
    if (mExponent > 2.5)
        return 6;
    if (mExponent > 1.5)
        return 4;
    if (mExponent < 0.4)
        return 5;
    if (mExponent < 2.0 / 3.0)
        return 3;
    return 0;
}

double ShapePowCurve::NormalToValue(double normal, const Param& param) const {
    return param.Min() + std::pow(normal, mExponent) * param.Range();
}

double ShapePowCurve::ValueToNormal(double value, const Param& param) const {
    return std::pow((value - param.Min()) / param.Range(), 1.0 / mExponent);
}

}  // namespace quendaris
