#include "vst3/Vst3Parameter.h"

#include <cmath>
#include <string>

#include "public.sdk/source/vst/utility/stringconvert.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace quendaris {
namespace {

ParameterInfo InfoFor(const Param& param, ParamID id, UnitID unitId) {
    ParameterInfo info{};
    info.id = id;
    StringConvert::convert(param.Name(), info.title);
    StringConvert::convert(param.Label(), info.units);
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
    std::string display;
    mParam.FormatValue(normalized, true, display, true);
    StringConvert::convert(display, text);
}

bool Vst3Parameter::fromString(const TChar* text, ParamValue& normalized) const {
    if (!text)
        return false;
    const std::string utf8 = StringConvert::convert(text);
    normalized = mParam.ToNormal(mParam.ParseText(utf8.c_str()));
    return true;
}

ParamValue Vst3Parameter::toPlain(ParamValue normalized) const {
    return mParam.FromNormal(normalized);
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

}  // namespace quendaris
