ardour { ["type"] = "dsp", name = "QUENDARIS Level Probe", category = "Utility", license = "MIT",
	author = "QUENDARIS tests", description = "Passes audio through and publishes its RMS every 100 ms" }

-- Shared memory: floats 0 and 1 hold the last window's RMS per channel, int 2 counts windows,
-- so a reader can wait for windows that started after its own change.
function dsp_ioconfig () return { { audio_in = 2, audio_out = 2 } } end

local window = 4800
local sums = { 0, 0 }
local count = 0

function dsp_init (sample_rate)
	window = math.floor (sample_rate / 10)
	self:shmem ():allocate (3)
	self:shmem ():clear ()
end

function dsp_run (ins, outs, n_samples)
	for c = 1, 2 do
		if ins[c] ~= outs[c] then ARDOUR.DSP.copy_vector (outs[c], ins[c], n_samples) end
		local samples = outs[c]:array ()
		local acc = sums[c]
		for s = 1, n_samples do
			acc = acc + samples[s] * samples[s]
		end
		sums[c] = acc
	end
	count = count + n_samples
	if count >= window then
		local shm = self:shmem ()
		local rms = shm:to_float (0):array ()
		rms[1] = math.sqrt (sums[1] / count)
		rms[2] = math.sqrt (sums[2] / count)
		sums[1], sums[2], count = 0, 0, 0
		shm:atomic_set_int (2, shm:atomic_get_int (2) + 1)
	end
end
