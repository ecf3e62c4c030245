function varargout = tosqumg(varargin)
%TOSQUMG  Read a station velocity solution file.
%   [VEL, OUTCOV, NVEC, LLH] = TOSQUMG(FILENAME) reads the fixed-column
%   velocity solution named by FILENAME (a one-row char of at most 150
%   characters): header, station coordinates, three velocity parameters per
%   station with standard deviations, and all correlations.  The reference
%   station is taken out of the velocities and the covariance and moved to
%   the end of the station list.  All four results must be asked for; their
%   sizes are fixed and elements the file does not fill are 0.
%
%   VEL     3-by-99  velocity of each station (one column per station, file
%                    order, file unit), stations named like the reference
%                    station left out.
%   OUTCOV  297-by-297 covariance of those velocities, top-left 3m-by-3m
%                    block for the m columns of VEL, in the unit squared.
%   NVEC    1-by-1   stations of the parameter section (parameter count / 3).
%   LLH     3-by-100 latitude and longitude (degrees) and height (m) on
%                    WGS 84 of the NVEC+1 station records, reference last.
%
%   Lines written to the command window:
%     ' match J'                        record J is the reference station
%     ' ** Reference station not found ** '  the last record is used instead
%     ' ** Error in opening file ** '   the file cannot be opened; results 0
%     ' ** Number of Vectors exceeds Maxvec ** '  100 stations or more;
%                                       results 0
%
%   Errors:
%     'one input arguments required'
%     'tosqum requires 4 output arguments'
%     'argument must be a string'
%     'file name must be a one-row character string'
%     'file name longer than 150 characters (it has N)'
%     'file ''NAME'', line L: ...'  the file ends early, a field is not a
%                                   number, or an index is out of range
%
%   Example (the reference station is the last station record and has no
%   velocity parameters of its own):
%     [vel, outcov, nvec, llh] = tosqumg('solution.txt');
%     v = vel(:, 1:nvec);               % velocities, one column per station
%     C = outcov(1:3*nvec, 1:3*nvec);   % their covariance
%     pos = llh(:, 1:nvec+1);           % positions, reference station last
%   For error ellipses, rotate each station's 3-by-3 block to local east and
%   north and pass the east/north covariance to BRISOL.
%
%   TOSQUMG is a compiled MEX function; this file holds its help only.
%   The file format is described in docs/file-format.md.
%
%   See also BRISOL.

% Copyright (C) 2026 the authors
% SPDX-License-Identifier: MIT

% The compiled module beside this file takes precedence over it.
error('tosqumg:missingModule', ...
      'The compiled module tosqumg.%s is missing from %s; build it as docs/matlab.md describes.', ...
      mexext, fileparts(mfilename('fullpath')));
end
