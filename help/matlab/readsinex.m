function varargout = readsinex(varargin)
%READSINEX  Read a SINEX solution (plain, gzip or Unix compress).
%   SNX = READSINEX(FILENAME) reads the header, SITE/ID, SOLUTION/EPOCHS,
%   SOLUTION/ESTIMATE, SOLUTION/MATRIX_ESTIMATE and the VARIANCE FACTOR of
%   SOLUTION/STATISTICS of a SINEX file; compression is recognised by
%   content.  SNX = READSINEX(FILENAME, 'matrix', false) leaves MATRIX empty.
%
%   VERSION, AGENCY, DATAAGENCY, TECHNIQUE, CONTENTS   header texts
%   CREATED, START, END   1-by-3 [year doy sec]
%   VARFACTOR   VARIANCE FACTOR, NaN if absent (never applied)
%   ESTIMATE    struct of P-by-1 columns: INDEX, TYPE, SITE, POINT, SOLN,
%               EPOCH (P-by-3), UNIT, CONSTRAINT, VALUE, SIGMA
%   MATRIX      P-by-P covariance by estimate index (CORR and INFO turned
%               into covariance), [] without a matrix
%   MATRIXTYPE  'COVA', 'CORR', 'INFO' or ''
%   One row per site-solution with STA? or VEL? estimates:
%   STATION, POINT, SOLN, DOMES, DESCRIPTION   m-by-1 cells
%   EPOCH (m-by-3), VALID (m-by-6), XYZ, SXYZ, LLH, VEL, SIGMA (m-by-3)
%   COV, POSCOV  3m-by-3m covariance of velocities and positions
%
%   Errors have identifiers readsinex:open, :format, :index, :matrix,
%   :read, :memory, :name and :usage; warnings readsinex:count and
%   readsinex:nomatrix can be turned off with WARNING('off', ID).
%
%   See also READVELSOL, VELSOL2ENU.

% The command is the compiled module beside this file; this file holds its help.
error('readsinex:notBuilt', 'readsinex: the compiled module is missing');
