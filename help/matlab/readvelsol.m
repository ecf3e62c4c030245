function varargout = readvelsol(varargin)
%READVELSOL  Read a station velocity solution file whole, without fixed limits.
%   SOL = READVELSOL(FILENAME) reads the fixed-column velocity solution named
%   by FILENAME (any length; up to 3333 stations) and returns a scalar
%   struct; nothing is reordered or removed:
%
%   REFNAME     1-by-8 char   reference station name from the header
%   CRDSYS      1-by-3 char   coordinate system label from the header
%   STATION     (n+1)-by-1 cell of 1-by-8 char: station record names, file order
%   XYZ         (n+1)-by-3    Cartesian coordinates, metres
%   LLH         (n+1)-by-3    latitude, longitude (deg), height (m), WGS 84
%   REFSTATION  position in STATION of the reference station, 0 if none
%   SITE        n-by-1 cell of 1-by-8 char: station of each parameter group
%   VEL         n-by-3        the group's three values, file order
%   SIGMA       n-by-3        their standard deviations
%   COV         3n-by-3n      covariance of all parameters by index
%
%   TOSQUMG's OUTCOV is COV without the reference station's rows and
%   columns; its VEL the rows of VEL whose SITE is not the reference; its
%   LLH the rows of LLH with the reference station moved last.
%
%   Errors have identifiers readvelsol:open, :record, :index, :count, :read,
%   :memory, :name and :usage.  Warnings readvelsol:noReference, :mixedGroup and
%   :countNotMultipleOf3 can be turned off with WARNING('off', ID).
%
%   See also TOSQUMG.

% The command is the compiled module beside this file; this file holds its help.
error('readvelsol:notBuilt', 'readvelsol: the compiled module is missing');
