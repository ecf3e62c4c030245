% [status, messages] = run_program (folder, args)
% Runs the program ARGS{1} with the arguments ARGS{2:end} in FOLDER and
% returns its exit status and everything it wrote to standard output and
% standard error.  Every argument reaches the program as it is: none is
% ever parsed by a shell.
%
% In Octave the program is started by popen2, which execs it directly; a
% fixed sh script stands between only to enter FOLDER and to send both
% streams to a file ("$@" hands the arguments over untouched).  MATLAB has
% no such call: there the line for system () quotes every argument in
% single quotes, inside which the shell interprets nothing.
function [status, messages] = run_program (folder, args)
  log = fullfile (folder, 'run_program.log');
  if (exist ('OCTAVE_VERSION', 'builtin'))
    script = 'cd "$1" && shift && exec "$@" > run_program.log 2>&1';
    [in, out, pid] = popen2 ('sh', [{'-c', script, 'run_program', folder}, args]);
    fclose (in);
    fclose (out);
    [~, code] = waitpid (pid);
    if (WIFEXITED (code))
      status = WEXITSTATUS (code);
    else
      status = 128;
    end
  else
    quoted = cellfun (@shell_quoted, [{folder}, args, {log}], 'UniformOutput', false);
    line = sprintf ('cd %s && %s > %s 2>&1', quoted{1}, strjoin (quoted(2:end-1), ' '), ...
                    quoted{end});
    status = system (line);
  end
  messages = '';
  if (exist (log, 'file'))
    messages = fileread (log);
    delete (log);
  end
end

function q = shell_quoted (name)
  q = ['''', strrep(name, '''', '''\'''), ''''];
end
