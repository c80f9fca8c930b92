-- wrk script: requests every path of an edition in turn, each path under the
-- prefix given. Usage: wrk -s paths.lua URL -- PREFIX PATHS_FILE
local paths = {}
local next_path = 0

init = function(args)
    for line in io.lines(args[2]) do
        paths[#paths + 1] = args[1] .. line
    end
end

request = function()
    next_path = next_path % #paths + 1
    return wrk.format("GET", paths[next_path])
end
