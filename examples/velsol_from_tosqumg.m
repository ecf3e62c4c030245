function sol = velsol_from_tosqumg(solfile)
% VELSOL_FROM_TOSQUMG  A readvelsol-shaped struct from tosqumg, for hosts
% that do not have readvelsol yet.
%
%   sol = velsol_from_tosqumg(solfile)
%
% tosqumg returns positions and velocities without names and leaves the
% reference station's parameters out, so the names are read from the file
% itself and the reference station's group is missing from site, vel and
% cov (velsol2enu treats it like any dropped group).  Remove this file once
% readvelsol is available everywhere the example runs.

  if ~exist(solfile, 'file')
    error('velocity_report:nofile', 'cannot read %s', solfile);
  end
  % tosqumg takes names of up to 150 characters; a longer path is opened
  % from its own folder.
  callname = solfile;
  if numel(callname) > 150
    [folder, base, ext] = fileparts(solfile);
    back = cd(folder);
    restore = onCleanup(@() cd(back));
    callname = [base, ext];
  end
  messages = evalc('[vel, outcov, nvec, llh] = tosqumg(callname);');
  clear restore
  nvec = nvec(1);
  if nvec < 1
    error('velocity_report:empty', 'tosqumg found no stations in %s:\n%s', solfile, messages);
  end

  % Columns 1-8 of the station records, 16-23 of a group's third parameter
  % record, 6-13 of the header; short lines read as blank-padded.
  lines = regexp(fileread(solfile), '\r?\n', 'split');
  if numel(lines) < 1 + (nvec + 1) + 3 * nvec
    error('velocity_report:short', '%s ends before its parameter records', solfile);
  end
  sol.refname = field(lines{1}, 6, 13);
  sol.crdsys = field(lines{1}, 14, 16);
  sol.station = cell(nvec + 1, 1);
  sol.xyz = zeros(nvec + 1, 3);
  for j = 1:nvec + 1
    rec = field(lines{1 + j}, 1, 65);
    sol.station{j} = rec(1:8);
    sol.xyz(j, :) = str2double({rec(9:27), rec(28:46), rec(47:65)});
  end
  site = cell(nvec, 1);
  for g = 1:nvec
    site{g} = field(lines{1 + (nvec + 1) + 3 * g}, 16, 23);
  end
  refind = find(strcmp(sol.station, sol.refname), 1, 'last');
  if isempty(refind)
    error('velocity_report:noref', 'reference station "%s" has no station record in %s', ...
          sol.refname, solfile);
  end
  sol.refstation = refind;

  % llh lists the records in file order without the reference station, then
  % it; back to file order.
  order = [setdiff(1:nvec + 1, refind), refind];
  sol.llh(order, :) = llh(:, 1:nvec + 1)';

  % tosqumg drops the reference velocity by the group's name, but its
  % covariance rows by the position of the station record: the two agree
  % only where the reference group sits at that position.
  keep = ~strcmp(site, sol.refname);
  refgroup = find(~keep);
  if ~isempty(refgroup) && ~isequal(refgroup, refind)
    error('velocity_report:order', ...
          'reference group %d of %s is not at its station record %d: tosqumg cannot pair them', ...
          refgroup(1), solfile, refind);
  end
  nvel = nnz(keep);
  sol.site = site(keep);
  sol.vel = vel(:, 1:nvel)';
  sol.cov = outcov(1:3 * nvel, 1:3 * nvel);
  sol.sigma = reshape(sqrt(diag(sol.cov)), 3, [])';
end

function s = field(line, first, last)
  line = [line, blanks(max(0, last - numel(line)))];
  s = line(first:last);
end
