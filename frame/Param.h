#pragma once

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace quendaris {

// What a declaration made of a parameter; 2 is kept free so stored codes stay stable.
enum ParamType { kTypeNone = 0, kTypeBool = 1, kTypeEnum = 3, kTypeDouble = 4 };

// Unit code every parameter carries unless it declares another.
constexpr int kUnitCustom = 21;

// Fixed text capacity of names, labels, groups and display texts, terminator included.
constexpr int kParamTextSize = 32;

// One automatable value: range, step, normalisation, text form.
// The value is shared with the audio thread; everything else is fixed after declaration.
class Param {
  public:
    enum Flags {
        kFlagCannotAutomate = 1,
        kFlagStepped = 2,
        kFlagNegateDisplay = 4,
        kFlagSignDisplay = 8,
    };

    // Maps between the real value and the normalised 0..1 value; neither direction clamps.
    class Shape {
      public:
        virtual ~Shape() = default;
        virtual Shape* Duplicate() const = 0;
        virtual void Prepare(Param&) {}
        virtual int DisplayKind() const = 0;
        virtual double NormalToValue(double normal, const Param& param) const = 0;
        virtual double ValueToNormal(double value, const Param& param) const = 0;
    };

    using DisplayFunction = std::function<void(double value, std::string& text)>;

    struct DisplayText {
        double value;
        char text[kParamTextSize];
    };

    Param();
    ~Param();
    Param(const Param&) = delete;
    Param& operator=(const Param&) = delete;

    void DeclareDouble(const char* name, double defaultValue, double minimum, double maximum,
                       double step, const char* label = "", int flags = 0, const char* group = "",
                       const Shape& shape = ShapeLinearInstance(), int unit = kUnitCustom,
                       DisplayFunction displayFunction = nullptr);
    // Texts beyond count are ignored; a missing or null text leaves that entry out.
    void DeclareEnum(const char* name, int defaultIndex, int count, const char* label = "",
                     int flags = 0, const char* group = "",
                     std::initializer_list<const char*> texts = {});
    void DeclareBool(const char* name, bool defaultOn, const char* label = "", int flags = 0,
                     const char* group = "", const char* offText = "off",
                     const char* onText = "on");

    double Value() const { return mValue.load(); }
    // Non-numbers are ignored so a bad host or editor value never reaches the audio code.
    void SetValue(double value);
    void SetNormal(double normal);
    double Normal() const { return ToNormal(Value()); }

    double Confine(double value) const;
    double ToNormal(double value) const;
    double FromNormal(double normal) const;
    double DefaultValue(bool normalised = false) const;

    void FormatValue(double value, bool valueIsNormal, std::string& text,
                     bool useDisplayTexts = true) const;
    double ParseText(const char* text) const;

    void AddDisplayText(double value, const char* text);
    const char* DisplayTextFor(double value) const;
    int DisplayTextCount() const { return static_cast<int>(mDisplayTexts.size()); }
    const DisplayText* DisplayTextAt(int index) const;

    const char* Name() const { return mName; }
    const char* Group() const { return mGroup; }
    const char* Label() const;
    const char* StoredLabel() const { return mLabel; }

    ParamType Type() const { return mType; }
    int Unit() const { return mUnit; }
    double Min() const { return mMin; }
    double Max() const { return mMax; }
    double Range() const { return mMax - mMin; }
    double Step() const { return mStep; }
    int DisplayPrecision() const { return mDisplayPrecision; }
    int Flags() const { return mFlags; }
    bool CanAutomate() const { return !(mFlags & kFlagCannotAutomate); }
    bool IsStepped() const { return mFlags & kFlagStepped; }
    bool NegateDisplay() const { return mFlags & kFlagNegateDisplay; }
    bool SignDisplay() const { return mFlags & kFlagSignDisplay; }
    const Shape& GetShape() const { return *mShape; }

  private:
    static const Shape& ShapeLinearInstance();
    void FormatNumber(double value, std::string& text) const;

    ParamType mType = kTypeNone;
    int mUnit = kUnitCustom;
    std::atomic<double> mValue{0.0};
    double mMin = 0.0;
    double mMax = 1.0;
    double mStep = 1.0;
    double mDefault = 0.0;
    int mDisplayPrecision = 0;
    int mFlags = 0;
    char mName[kParamTextSize] = {};
    char mLabel[kParamTextSize] = {};
    char mGroup[kParamTextSize] = {};
    std::unique_ptr<Shape> mShape;
    DisplayFunction mDisplayFunction;
    std::vector<DisplayText> mDisplayTexts;
};

class ShapeLinear : public Param::Shape {
  public:
    Shape* Duplicate() const override { return new ShapeLinear(*this); }
    int DisplayKind() const override { return 0; }
    double NormalToValue(double normal, const Param& param) const override;
    double ValueToNormal(double value, const Param& param) const override;
};

// Spends more of the normalised range on low values when the exponent is above 1.
class ShapePowCurve : public Param::Shape {
  public:
    explicit ShapePowCurve(double exponent) : mExponent(exponent) {}
    Shape* Duplicate() const override { return new ShapePowCurve(*this); }
    int DisplayKind() const override;
    double NormalToValue(double normal, const Param& param) const override;
    double ValueToNormal(double value, const Param& param) const override;
    double Exponent() const { return mExponent; }

  private:
    double mExponent;
};

// Copies text into a fixed field, cutting it to fit; a null source gives the empty text.
void CopyTruncated(char* destination, int capacity, const char* source);

}  // namespace quendaris
