#pragma once

#include "frame/Param.h"
#include "public.sdk/source/vst/vstparameters.h"

namespace quendaris {

// The host's view of one plug-in parameter: ranges, texts and conversions come from the
// mirrored Param, so the host and the editor always agree on what a value means. Normalised
// values from the host are clamped to 0 ... 1 and host texts read leniently before use.
class Vst3Parameter : public Steinberg::Vst::Parameter {
  public:
    Vst3Parameter(Param& param, Steinberg::Vst::ParamID id, Steinberg::Vst::UnitID unitId);

    void toString(Steinberg::Vst::ParamValue normalized,
                  Steinberg::Vst::String128 text) const override;
    bool fromString(const Steinberg::Vst::TChar* text,
                    Steinberg::Vst::ParamValue& normalized) const override;
    Steinberg::Vst::ParamValue toPlain(Steinberg::Vst::ParamValue normalized) const override;
    Steinberg::Vst::ParamValue toNormalized(Steinberg::Vst::ParamValue plain) const override;
    // Not-a-number is refused so the host's view never holds an unusable value.
    bool setNormalized(Steinberg::Vst::ParamValue normalized) override;

    Param& Mirrored() const { return mParam; }

    OBJ_METHODS(Vst3Parameter, Parameter)

  private:
    Param& mParam;
};

// The host-facing bypass switch, a two-entry list "off"/"on" carrying the bypass flag.
class Vst3BypassParameter : public Steinberg::Vst::StringListParameter {
  public:
    static constexpr Steinberg::Vst::ParamID kId = 65536;

    Vst3BypassParameter();

    bool setNormalized(Steinberg::Vst::ParamValue normalized) override;
    // The list index is computed here from a clamped value: a host's out-of-range or
    // non-finite value still names "off" or "on".
    void toString(Steinberg::Vst::ParamValue normalized,
                  Steinberg::Vst::String128 text) const override;
    bool fromString(const Steinberg::Vst::TChar* text,
                    Steinberg::Vst::ParamValue& normalized) const override;
    Steinberg::Vst::ParamValue toPlain(Steinberg::Vst::ParamValue normalized) const override;
    Steinberg::Vst::ParamValue toNormalized(Steinberg::Vst::ParamValue plain) const override;

    OBJ_METHODS(Vst3BypassParameter, StringListParameter)
};

}  // namespace quendaris
