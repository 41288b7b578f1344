-- Runs inside ardour7-lua (Dummy backend): puts QUENDARIS on a stereo bus between a test tone and
-- a level probe, listens to it at a few settings, saves the session, reloads it and checks that
-- the plug-in comes back as it was. Prints one line per check; any miss fails the run.
-- Argument: the folder to create the session in (must not exist yet).

local session_dir = arg[1]
local session_name = "quendaris-daw"
local bus_name = "Filter Bus"
local plugin_name = "QUENDARIS"
local tone_hz = 5000
local tone_peak_db = -18

local failures = 0

local function check (ok, what)
	print ((ok and "ok   " or "FAIL ") .. what)
	if not ok then failures = failures + 1 end
	return ok
end

-- Stops at once when carrying on would only produce follow-up noise.
local function require_that (ok, what)
	if not check (ok, what) then
		error ("cannot continue: " .. what, 0)
	end
end

local function near (value, expected)
	return math.abs (value - expected) <= 1e-4 * math.max (1, math.abs (expected))
end

local function fmt (db) return string.format ("%.2f dB", db) end

-- The nine parameters in their index order, with what a host should show for them.
local expected_parameters = {
	{ name = "Cutoff", lower = 20, upper = 20000, default = 1840 },
	{ name = "Resonance", lower = 0, upper = 100, default = 50 },
	{ name = "Model", lower = 0, upper = 3, default = 0, stepped = true },
	{ name = "Input", lower = -24, upper = 24, default = 0 },
	{ name = "Drive", lower = 0, upper = 100, default = 0 },
	{ name = "Mix", lower = 0, upper = 100, default = 100 },
	{ name = "Output", lower = -24, upper = 24, default = 0 },
	{ name = "Poles", lower = 0, upper = 1, default = 0, toggled = true },
	{ name = "Bypass", lower = 0, upper = 1, default = 0, toggled = true },
}

-- Ardour numbers a plug-in's controls in the order the plug-in lists them; the host bypass is
-- listed once, before or after the nine. Returns the nine control indices and the bypass one.
local function map_controls (plugin)
	local names = {}
	for i = 0, plugin:parameter_count () - 1 do
		names[#names + 1] = plugin:parameter_label (i)
	end
	print ("     controls shown by Ardour: " .. table.concat (names, ", "))
	require_that (#names == 10, "Ardour shows 10 controls (nine parameters and the host bypass), got " .. #names)
	for _, first in ipairs ({ 1, 0 }) do
		local indices = {}
		local matches = true
		for k, p in ipairs (expected_parameters) do
			indices[p.name] = first + k - 1
			matches = matches and names[first + k] == p.name
		end
		local host_bypass = first == 1 and 0 or 9
		if matches and names[host_bypass + 1] == "Bypass" then
			return indices, host_bypass
		end
	end
	require_that (false, "controls are named Cutoff, Resonance, Model, Input, Drive, Mix, Output, Poles, Bypass plus the host's Bypass")
end

local function check_descriptors (plugin, indices, host_bypass)
	for _, p in ipairs (expected_parameters) do
		local _, ref = plugin:get_parameter_descriptor (indices[p.name], ARDOUR.ParameterDescriptor ())
		local d = ref[2]
		check (near (d.lower, p.lower) and near (d.upper, p.upper) and near (d.normal, p.default),
			string.format ("%s ranges %g..%g, default %g (Ardour shows %g..%g, default %g)",
				p.name, p.lower, p.upper, p.default, d.lower, d.upper, d.normal))
		if p.toggled then check (d.toggled, p.name .. " is a switch") end
		if p.stepped then check (d.integer_step, p.name .. " moves in whole steps") end
	end
	local _, ref = plugin:get_parameter_descriptor (host_bypass, ARDOUR.ParameterDescriptor ())
	check (ref[2].toggled and ref[2].normal == 0, "host bypass is a switch, off by default")
end

local function find_processor (route, name)
	local i = 0
	while true do
		local proc = route:nth_plugin (i)
		if proc:isnil () then return nil end
		if proc:name () == name then return proc end
		i = i + 1
	end
end

-- Waits until the probe has finished four windows that began after this call (so at least 200 ms
-- of settled audio went into the last one) and returns the last window's level in dBFS.
local function listen (probe)
	local shm = probe:to_insert ():plugin (0):to_luaproc ():shmem ()
	local start = shm:atomic_get_int (2)
	local waited = 0
	while shm:atomic_get_int (2) < start + 4 do
		if waited >= 10 then require_that (false, "Ardour keeps processing audio (the probe saw no new window for 10 s)") end
		ARDOUR.LuaAPI.usleep (50000)
		waited = waited + 0.05
	end
	local rms = shm:to_float (0):array ()
	local left, right = 20 * math.log (rms[1], 10), 20 * math.log (rms[2], 10)
	-- Far below audibility the channels may differ by a hair; above it they must match.
	if math.abs (left - right) >= 0.1 and math.max (left, right) > -90 then
		check (false, "both channels carry the same level (" .. fmt (left) .. ", " .. fmt (right) .. ")")
	end
	return math.max (left, right)
end

local function set (proc, index, value)
	if not ARDOUR.LuaAPI.set_processor_param (proc, index, value) then
		require_that (false, "Ardour accepts value " .. value .. " for control " .. index)
	end
end

local function get (proc, index)
	return (ARDOUR.LuaAPI.get_processor_param (proc, index, true))
end

local function set_all (proc, indices, values)
	for name, value in pairs (values) do set (proc, indices[name], value) end
end

local function check_values (proc, indices, values, when)
	for _, p in ipairs (expected_parameters) do
		local want = values[p.name]
		if want ~= nil then
			local got = get (proc, indices[p.name])
			check (near (got, want), string.format ("%s: %s reads %g (set %g)", when, p.name, got, want))
		end
	end
end

-- Ardour keeps the plug-in's own state as a base64 VST3 preset container inside the session file;
-- the component's part must be the nine values in index order and the bypass flag (76 bytes).
local function decode_base64 (text)
	local alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"
	local bits = text:gsub ("[^%w%+/]", ""):gsub (".", function (c)
		local v = alphabet:find (c, 1, true) - 1
		local s = ""
		for b = 5, 0, -1 do s = s .. ((v >> b) & 1) end
		return s
	end)
	return (bits:gsub ("%d%d%d?%d?%d?%d?%d?%d?", function (byte)
		if #byte ~= 8 then return "" end
		return string.char (tonumber (byte, 2))
	end))
end

local function stored_component_state (session_file)
	local file = io.open (session_file, "rb")
	require_that (file ~= nil, "session file " .. session_file .. " exists after saving")
	local xml = file:read ("a")
	file:close ()
	local processor = xml:match ('<Processor[^>]-name="' .. plugin_name .. '".-</Processor>')
	require_that (processor ~= nil, "the session file holds a " .. plugin_name .. " processor")
	local chunk = processor:match ("<chunk>([^<]*)</chunk>")
	require_that (chunk ~= nil, "the session file holds the plug-in's state")
	local blob = decode_base64 (chunk)
	require_that (#blob >= 48 and blob:sub (1, 4) == "VST3", "the stored state is a VST3 preset container")
	local list_at = string.unpack ("<i8", blob, 41)
	require_that (blob:sub (list_at + 1, list_at + 4) == "List", "the container lists its chunks")
	local entries = string.unpack ("<i4", blob, list_at + 5)
	for e = 0, entries - 1 do
		local id, offset, size = string.unpack ("<c4i8i8", blob, list_at + 9 + 20 * e)
		if id == "Comp" then return blob:sub (offset + 1, offset + size) end
	end
	require_that (false, "the container holds the component's state")
end

local function check_stored_state (session_file, values)
	local comp = stored_component_state (session_file)
	require_that (#comp == 76, "the stored component state is 76 bytes (got " .. #comp .. ")")
	local fields = { string.unpack ("<ddddddddd i4", comp) }
	for k, p in ipairs (expected_parameters) do
		check (near (fields[k], values[p.name]),
			string.format ("session file stores %s = %g (set %g)", p.name, fields[k], values[p.name]))
	end
	check (fields[10] == 0, "session file stores the host bypass off")
end

-- Session set-up -------------------------------------------------------------------------------

require_that (create_session (session_dir, session_name, 48000) ~= nil, "Ardour creates a session in " .. session_dir)
check (AudioEngine:current_backend_name () == "Dummy", "the session runs on the Dummy backend")

-- Ardour lists plug-ins only once a session is open.
local plugin_known = false
for info in ARDOUR.LuaAPI.list_plugins ():iter () do
	if info.type == ARDOUR.PluginType.VST3 and info.name == plugin_name then plugin_known = true end
end
require_that (plugin_known, "Ardour's VST3 list holds " .. plugin_name .. " (scan result in its cache)")

local bus = Session:new_audio_route (2, 2, nil, 1, bus_name, ARDOUR.PresentationInfo.Flag.AudioBus,
	ARDOUR.PresentationInfo.max_order):front ()
local tone = ARDOUR.LuaAPI.new_luaproc (Session, "QUENDARIS Test Tone")
local effect = ARDOUR.LuaAPI.new_plugin (Session, plugin_name, ARDOUR.PluginType.VST3, "")
local probe = ARDOUR.LuaAPI.new_luaproc (Session, "QUENDARIS Level Probe")
require_that (not tone:isnil () and not probe:isnil (), "Ardour finds the test tone and probe scripts")
require_that (not effect:isnil (), "Ardour instantiates " .. plugin_name)
require_that (bus:add_processor_by_index (tone, 0, nil, true) == 0
	and bus:add_processor_by_index (effect, 1, nil, true) == 0
	and bus:add_processor_by_index (probe, 2, nil, true) == 0,
	"tone, " .. plugin_name .. " and probe sit in that order on a stereo bus")
set (tone, 0, tone_hz)
set (tone, 1, tone_peak_db)

-- Parameters ------------------------------------------------------------------------------------

local plugin = effect:to_insert ():plugin (0)
local indices, host_bypass = map_controls (plugin)
check_descriptors (plugin, indices, host_bypass)
check_values (effect, indices, { Cutoff = 1840, Resonance = 50, Model = 0, Input = 0, Drive = 0,
	Mix = 100, Output = 0, Poles = 0, Bypass = 0 }, "fresh instance")

-- Sound -----------------------------------------------------------------------------------------

local listening_probe = probe
local function measure (label)
	local level = listen (listening_probe)
	print (string.format ("     %-44s %s", label, fmt (level)))
	return level
end

effect:deactivate ()
local bypassed = measure ("Ardour's own bypass (plug-in deactivated)")
effect:activate ()
-- An RMS of a sine is its peak less 3.01 dB: the probe reads the tone itself.
check (math.abs (bypassed - (tone_peak_db - 3.01)) < 0.1, "probe reads the unprocessed tone at " .. fmt (tone_peak_db - 3.01))

set (effect, indices.Bypass, 1)
check (math.abs (measure ("plug-in Bypass on") - bypassed) < 0.1, "plug-in Bypass passes the tone unchanged")
set (effect, indices.Bypass, 0)
set (effect, host_bypass, 1)
check (math.abs (measure ("host bypass on") - bypassed) < 0.1, "host bypass passes the tone unchanged")
set (effect, host_bypass, 0)

set_all (effect, indices, { Resonance = 0, Poles = 1, Cutoff = 20000 })
local open_level = measure ("4-Pole, Cutoff 20000 Hz, Resonance 0 %")
check (math.abs (open_level - bypassed) < 2, "a wide-open filter passes the 5 kHz tone within 2 dB")

set (effect, indices.Cutoff, 200)
local closed4 = measure ("4-Pole, Cutoff 200 Hz, Resonance 0 %")
set (effect, indices.Poles, 0)
local closed2 = measure ("2-Pole, Cutoff 200 Hz, Resonance 0 %")
set_all (effect, indices, { Poles = 1, Resonance = 50 })
local closed4_res = measure ("4-Pole, Cutoff 200 Hz, Resonance 50 %")
set (effect, indices.Cutoff, 20000)
local open_res = measure ("4-Pole, Cutoff 20000 Hz, Resonance 50 %")

check (open_level - closed4 > 30, "4-Pole at 200 Hz attenuates 5 kHz by more than 30 dB against 20000 Hz (" .. fmt (open_level - closed4) .. ")")
check (bypassed - closed4 > 30, "4-Pole at 200 Hz attenuates 5 kHz by more than 30 dB against bypass (" .. fmt (bypassed - closed4) .. ")")
check (open_res - closed4_res > 30, "with Resonance 50 % too (" .. fmt (open_res - closed4_res) .. ")")
check (open_level - closed2 > 20, "2-Pole at 200 Hz attenuates 5 kHz by more than 20 dB (" .. fmt (open_level - closed2) .. ")")
check (closed2 - closed4 > 20, "4-Pole is much steeper than 2-Pole (" .. fmt (closed2 - closed4) .. " more)")

-- The other three models, chosen by value from the host, filter as well.
set_all (effect, indices, { Resonance = 0, Cutoff = 200 })
for model, label in ipairs ({ "S-Filter", "P-Filter", "W-Filter" }) do
	set (effect, indices.Model, model)
	local closed = measure (label .. ", 4-Pole, Cutoff 200 Hz, Resonance 0 %")
	check (bypassed - closed > 30, label .. " at 200 Hz attenuates 5 kHz by more than 30 dB (" .. fmt (bypassed - closed) .. ")")
end

-- Save and reload -------------------------------------------------------------------------------

local stored = { Cutoff = 640, Resonance = 33.3, Model = 2, Input = -3.5, Drive = 40, Mix = 87.5,
	Output = 2.5, Poles = 1, Bypass = 0 }
set_all (effect, indices, stored)
check_values (effect, indices, stored, "after setting")
local before_save = measure ("stored settings, before saving")

require_that (Session:save_state ("", false, false, false, false, false) == 0, "Ardour saves the session")
check_stored_state (session_dir .. "/" .. session_name .. ".ardour", stored)
close_session ()
require_that (load_session (session_dir, session_name) ~= nil, "Ardour reopens the saved session")

local reloaded_bus = Session:route_by_name (bus_name)
require_that (not reloaded_bus:isnil (), "the reopened session has the bus")
local reloaded_effect = find_processor (reloaded_bus, plugin_name)
local reloaded_probe = find_processor (reloaded_bus, "QUENDARIS Level Probe")
require_that (reloaded_effect ~= nil and reloaded_probe ~= nil, "the reopened bus holds " .. plugin_name .. " and the probe")
check (reloaded_effect:active (), plugin_name .. " is active after reopening")
check_values (reloaded_effect, indices, stored, "after reopening")
check (get (reloaded_effect, host_bypass) == 0, "after reopening: host bypass is off")
listening_probe = reloaded_probe
local after_reload = measure ("stored settings, after reopening")
check (math.abs (after_reload - before_save) < 0.5, "the reopened session sounds as before (" .. fmt (after_reload - before_save) .. ")")
close_session ()

print (failures == 0 and "all checks passed" or (failures .. " check(s) failed"))
if failures ~= 0 then os.exit (1) end
