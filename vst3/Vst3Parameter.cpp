#include "vst3/Vst3Parameter.h"

#include <cmath>
#include <string>

#include "vst3/BoundaryGuard.h"
#include "vst3/HostText.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace quendaris {
namespace {

using vst3::ClampNormalized;

// Host texts are String128 fields; nothing beyond one is read.
constexpr size_t kHostTextUnits = 128;

ParameterInfo InfoFor(const Param& param, ParamID id, UnitID unitId) {
    ParameterInfo info{};
    info.id = id;
    vst3::Utf8ToUtf16(param.Name(), info.title, kHostTextUnits);
    vst3::Utf8ToUtf16(param.Label(), info.units, kHostTextUnits);
    info.stepCount =
        param.Type() == kTypeDouble ? 0 : static_cast<int32>(std::floor(param.Range()));
    info.defaultNormalizedValue = param.DefaultValue(true);
    info.unitId = unitId;
    info.flags = param.CanAutomate() ? ParameterInfo::kCanAutomate : 0;
    if (param.Type() == kTypeEnum || param.Type() == kTypeBool)
        info.flags |= ParameterInfo::kIsList;
    return info;
}

}  // namespace

Vst3Parameter::Vst3Parameter(Param& param, ParamID id, UnitID unitId)
    : Parameter(InfoFor(param, id, unitId)), mParam(param) {
    setPrecision(param.DisplayPrecision());
}

void Vst3Parameter::toString(ParamValue normalized, String128 text) const {
    if (!text)
        return;
    std::string display;
    mParam.FormatValue(toPlain(normalized), false, display, true);
    vst3::Utf8ToUtf16(display, text, kHostTextUnits);
}

bool Vst3Parameter::fromString(const TChar* text, ParamValue& normalized) const {
    if (!text)
        return false;
    const std::string utf8 = vst3::Utf16ToUtf8(text, kHostTextUnits);
    normalized = mParam.ToNormal(mParam.ParseText(utf8.c_str()));
    return true;
}

ParamValue Vst3Parameter::toPlain(ParamValue normalized) const {
    return mParam.FromNormal(ClampNormalized(normalized, mParam.DefaultValue(true)));
}

ParamValue Vst3Parameter::toNormalized(ParamValue plain) const {
    return mParam.ToNormal(plain);
}

bool Vst3Parameter::setNormalized(ParamValue normalized) {
    if (std::isnan(normalized))
        return false;
    return Parameter::setNormalized(normalized);
}

Vst3BypassParameter::Vst3BypassParameter()
    : StringListParameter(
          STR16("Bypass"), kId, nullptr,
          ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsBypass, 0) {
    appendString(STR16("off"));
    appendString(STR16("on"));
}

bool Vst3BypassParameter::setNormalized(ParamValue normalized) {
    if (std::isnan(normalized))
        return false;
    return StringListParameter::setNormalized(normalized);
}

void Vst3BypassParameter::toString(ParamValue normalized, String128 text) const {
    if (!text)
        return;
    vst3::Utf8ToUtf16(toPlain(normalized) > 0.5 ? "on" : "off", text, kHostTextUnits);
}

bool Vst3BypassParameter::fromString(const TChar* text, ParamValue& normalized) const {
    const std::string utf8 = vst3::Utf16ToUtf8(text, kHostTextUnits);
    if (utf8 != "off" && utf8 != "on")
        return false;
    normalized = utf8 == "on" ? 1.0 : 0.0;
    return true;
}

ParamValue Vst3BypassParameter::toPlain(ParamValue normalized) const {
    return ClampNormalized(normalized, 0.0) > 0.5 ? 1.0 : 0.0;
}

ParamValue Vst3BypassParameter::toNormalized(ParamValue plain) const {
    return ClampNormalized(plain, 0.0) > 0.5 ? 1.0 : 0.0;
}

}  // namespace quendaris
