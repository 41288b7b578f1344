ardour { ["type"] = "dsp", name = "QUENDARIS Test Tone", category = "Utility", license = "MIT",
	author = "QUENDARIS tests", description = "Steady sine on both channels, replacing the input" }

function dsp_ioconfig () return { { audio_in = 2, audio_out = 2 } } end

function dsp_params ()
	return {
		{ ["type"] = "input", name = "Frequency", min = 20, max = 20000, default = 5000, unit = "Hz" },
		{ ["type"] = "input", name = "Peak", min = -60, max = 0, default = -18, unit = "dB" },
	}
end

local rate = 48000
local phase = 0

function dsp_init (sample_rate) rate = sample_rate end

function dsp_run (ins, outs, n_samples)
	local ctrl = CtrlPorts:array ()
	local step = 2 * math.pi * ctrl[1] / rate
	local gain = 10 ^ (ctrl[2] / 20)
	local left, right = outs[1]:array (), outs[2]:array ()
	for s = 1, n_samples do
		local v = gain * math.sin (phase)
		left[s] = v
		right[s] = v
		phase = phase + step
		-- Wrapping keeps the phase small, so the tone stays clean however long the session runs.
		if phase > 2 * math.pi then phase = phase - 2 * math.pi end
	end
end
