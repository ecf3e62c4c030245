function varargout = brisol(varargin)
%BRISOL  95% error ellipses of two-component points from a covariance matrix.
%   [SMAJ, SMIN, AZIM] = BRISOL(C) takes a square, full, real double matrix C
%   of 2k rows and columns holding two components for each of k points (rows
%   and columns 2p-1 and 2p belong to point p, for instance east and north).
%   Of each 2-by-2 block on the diagonal only the two variances and the
%   covariance below the diagonal, C(2p,2p-1), are read; an odd last row and
%   column are ignored.
%
%   SMAJ, SMIN  1-by-k semi-major and semi-minor axes, scaled by 2.448 (95 %
%               for two degrees of freedom), in the unit of the components.
%   AZIM        1-by-k azimuth of the major axis in degrees, from the second
%               component's axis toward the first (clockwise from north for
%               east/north components), 0 to 180 (-90 to 90 when a negative
%               variance or rounding has exchanged the axes), each bound to
%               within 2e-5 degrees; 4.9917e-06 for a circle.
%
%   Most of the arithmetic runs in single precision, exactly as the legacy
%   routine did.  Anomalies are returned, not reported: a negative variance
%   gives an axis of 0, a NaN in a block axes of 0 and a NaN azimuth.
%
%   Errors, in the order checked:
%     'BRISOL requires one input argument'
%     'BRISOL requires three output arguments'  (use ~ for unneeded results)
%     'Input matrix must be square'
%     'Input matrix must be a full matrix, not sparse'
%     'Input matrix must be of class double, not <class>'
%
%   Example:
%     C = blkdiag([4.0 1.2; 1.2 2.5], [1.0 0.0; 0.0 9.0]);   % mm^2
%     [smaj, smin, azim] = brisol(C)
%     % smaj = 5.2874 7.3440, smin = 3.3160 2.4480, azim = 61.0027 -1.5e-05
%
%   BRISOL is a compiled MEX function; this file holds its help only.
%
%   See also TOSQUMG.

% Copyright (C) 2026 the authors
% SPDX-License-Identifier: MIT

% The compiled module beside this file takes precedence over it.
error('brisol:missingModule', ...
      'The compiled module brisol.%s is missing from %s; build it as docs/matlab.md describes.', ...
      mexext, fileparts(mfilename('fullpath')));
end
