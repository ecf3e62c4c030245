## -*- texinfo -*-
## @deftypefn {} {[@var{vel}, @var{outcov}, @var{nvec}, @var{llh}] =} tosqumg_octave (@var{fname})
## Read a station-velocity solution file in plain Octave code.
##
## Returns what @code{tosqumg} returns, bit for bit, and prints the same
## diagnostic lines: @var{vel} 3 x 99, @var{outcov} 297 x 297, @var{nvec}
## 1 x 1 and @var{llh} 3 x 100, zero where the file leaves them unwritten.
## It serves two purposes: the independent second implementation that the
## end-to-end tests compare @code{tosqumg} against, and the yardstick of the
## benchmarks (how fast a competent Octave user reads the same file).
##
## It is written the way such a user would write it: the whole file read
## with one @code{fread}, each section cut into fixed columns by one indexing
## operation, the numeric columns converted by one @code{sscanf} each and the
## covariance assembled with vectorised indexing.  Fields outside the common
## layout (no decimal point, blanks inside the number, a D exponent, an
## exponent without its letter) take a slower, general path, so that every
## field the format allows converts to the same double as in @code{tosqumg}.
##
## A record that is missing or does not convert, and an index outside
## 1 to 3 nvec, end the call with an error.
## @end deftypefn

function [vel, outcov, nvec, llh] = tosqumg_octave (fname)
  Maxvec = 100;
  vel = zeros (3, 99);
  outcov = zeros (297, 297);
  nvec = 0;
  llh = zeros (3, 100);

  fid = fopen (fname, "r");
  if (fid < 0)
    printf (" ** Error in opening file ** \n");
    return;
  endif
  txt = fread (fid, Inf, "*char").';
  fclose (fid);

  ## Lines: a line ends at "\n", one "\r" before it belongs to the line end,
  ## and a last line without "\n" still counts.
  nl = find (txt == "\n");
  starts = [1, nl + 1];
  stops = [nl - 1, numel(txt)];
  if (starts(end) > numel (txt))
    starts(end) = [];
    stops(end) = [];
  endif
  lens = stops - starts + 1;
  cr = lens > 0;
  cr(cr) = txt(stops(cr)) == "\r";
  lens(cr) -= 1;
  nlines = numel (starts);

  ## Header (X,I4,A8,X,A3).
  need (1, nlines, "header");
  refsta = cols (txt, starts(1), lens(1), 6, 8);
  n = ints (cols (txt, starts(1), lens(1), 2, 4), "parameter count");
  nv = fix (n / 3);
  if (nv >= Maxvec)
    printf (" ** Number of Vectors exceeds Maxvec ** \n");
    printf (" ** Error in opening file ** \n");
    return;
  endif
  nst = max (nv + 1, 0);   # station records
  np = max (3 * nv, 0);    # parameters
  ncor = np * (np - 1) / 2;

  ## Stations (A8,3(F19.7)).
  at = 2:(1 + nst);
  need (1 + nst, nlines, "station");
  sec = cols (txt, starts(at), lens(at), 1, 65);
  stanam = sec(:, 1:8);
  xyz = [reals(sec(:, 9:27), 7), reals(sec(:, 28:46), 7), reals(sec(:, 47:65), 7)].';
  refind = 0;
  for j = find (all (stanam == refsta, 2)).'
    printf (" match %d\n", j);
    refind = j;
  endfor
  if (refind == 0 && nst > 0)
    ## No station is named like the reference: the last station record
    ## stands in for it, so nothing is removed and the order is kept.
    printf (" ** Reference station not found ** \n");
    refind = nst;
  endif

  ## Parameters (X,I4,10X,A8,2X,E22.15,6X,E21.15): three records a station.
  at = (2 + nst):(1 + nst + np);
  need (1 + nst + np, nlines, "parameter");
  sec = cols (txt, starts(at), lens(at), 1, 74);
  k = ints (sec(:, 2:5), "parameter index");
  pname = sec(:, 16:23);
  value = reals (sec(:, 26:47), 15);
  sigma = reals (sec(:, 54:74), 15);
  inrange (k, np, "parameter index");
  cv = zeros (np, np);
  cv(k + (k - 1) * np) = sigma .* sigma;   # in file order: a later record wins
  ## A station's velocity is kept unless its third record names the reference.
  keepvel = ! all (pname(3:3:end, :) == refsta, 2);
  v3 = reshape (value, 3, max (nv, 0));
  vel(:, 1:nnz (keepvel)) = v3(:, keepvel);

  ## Correlations (X,I4,2X,I4,2X,E22.15), scaled by the standard deviations.
  at = (2 + nst + np):(1 + nst + np + ncor);
  need (1 + nst + np + ncor, nlines, "correlation");
  sec = cols (txt, starts(at), lens(at), 1, 35);
  ir = ints (sec(:, 2:5), "first parameter index");
  jr = ints (sec(:, 8:11), "second parameter index");
  rho = reals (sec(:, 14:35), 15);
  inrange (ir, np, "first parameter index");
  inrange (jr, np, "second parameter index");
  ij = ir + (jr - 1) * np;
  ji = jr + (ir - 1) * np;
  if (! any (ir == jr))
    ## The diagonal stays as the parameters left it: one vectorised pass.
    d = cv(1:np+1:end).';
    c = rho .* realroot (d(ir) .* d(jr));
    ## Both places of each record in record order, so that a later record
    ## naming the same pair wins, whichever way round it names it.
    cv([ij, ji].'(:)) = [c, c].'(:);
  else
    ## A record on the diagonal changes what later records are scaled by.
    for r = 1:ncor
      c = rho(r) * realroot (cv(ir(r), ir(r)) * cv(jr(r), jr(r)));
      cv(ij(r)) = c;
      cv(ji(r)) = c;
    endfor
  endif

  if (nv >= 0)
    ## Covariance without the reference station's three rows and columns:
    ## the lower triangle, mirrored.
    keep = setdiff (1:np, 3 * refind - 2:3 * refind);
    m = numel (keep);
    c = cv(keep, keep);
    ct = c.';
    upper = triu (true (m), 1);
    c(upper) = ct(upper);
    outcov(1:m, 1:m) = c;
    ## Stations in file order without the reference station, then it.
    order = [1:refind - 1, refind + 1:nst, refind];
    llh(:, 1:nst) = xyz2llh (xyz(:, order));
  endif
  nvec = nv;
endfunction

## Square root as in IEEE arithmetic: NaN for a negative number, where
## Octave's sqrt would turn to complex numbers.  A record on the diagonal
## with a negative correlation makes a variance negative.
function y = realroot (x)
  x(x < 0) = NaN;
  y = sqrt (x);
endfunction

## Characters first .. first + width - 1 of each line, as a matrix with one
## row per line; columns past a line's end read as blanks.
function f = cols (txt, starts, lens, first, width)
  off = (first - 1) + (0:width - 1);
  idx = starts(:) + off;
  if (all (lens >= first + width - 1))
    f = txt(idx);
  else
    inside = off < lens(:);
    idx(! inside) = 1;
    f = txt(idx);
    f(! inside) = " ";
  endif
endfunction

function need (last, nlines, section)
  if (nlines < last)
    error ("tosqumg_octave: line %d: the file ends before the %s records", nlines + 1, section);
  endif
endfunction

function inrange (idx, limit, what)
  bad = find (idx < 1 | idx > limit, 1);
  if (! isempty (bad))
    error ("tosqumg_octave: %s %d is outside 1 to %d", what, idx(bad), limit);
  endif
endfunction

## Character classes of the numeric fields, looked up by character code.
function c = classes (f)
  persistent lut;
  if (isempty (lut))
    lut = repmat (uint8 (5), 1, 256);   # 5: anything else
    lut(double (" ") + 1) = 0;
    lut(double ("0123456789") + 1) = 1;
    lut(double (".") + 1) = 2;
    lut(double ("+-") + 1) = 3;
    lut(double ("Ee") + 1) = 4;
  endif
  c = lut(double (f) + 1);
endfunction

## Rows of a class matrix with a blank after the first character that is no
## blank (blanks inside or after the number).
function inner = innerblank (c)
  [~, first] = max (c != 0, [], 2);
  inner = sum (c == 0, 2) != first - 1 & any (c != 0, 2);
endfunction

## Iw fields (rows of f): an optional sign, digits, blanks ignored anywhere.
function v = ints (f, what)
  if (isempty (f))
    v = zeros (0, 1);
    return;
  endif
  ## The usual fields, each a number with blanks only around it, read in one
  ## go.  An all-blank row would yield nothing and another row split in two
  ## could make up the count, so those are ruled out first; a row that does
  ## not read stops the scan with a message.
  if (! any (all (f == " ", 2)))
    g = [f, repmat("\n", rows (f), 1)].';
    [v, count, msg] = sscanf (g(:).', "%d");
    if (count == rows (f) && isempty (msg))
      v += 0;
      return;
    endif
  endif
  c = classes (f);
  dig = c == 1;
  sgn = c == 3;
  [~, first] = max (c != 0, [], 2);
  lead = false (size (c));
  lead((first - 1) * rows (c) + (1:rows (c)).') = true;   # first non-blank
  bad = any (! (dig | c == 0 | (sgn & lead)), 2) | (any (sgn, 2) & ! any (dig, 2));
  if (any (bad))
    error ("tosqumg_octave: %s is not a number: \"%s\"", what, f(find (bad, 1), :));
  endif
  w = columns (f);
  if (any (innerblank (c)))
    ## Each digit weighs 10 to the number of digits right of it.
    place = fliplr (cumsum (fliplr (dig), 2)) - dig;
    v = sum ((f - "0") .* dig .* 10 .^ place, 2);
  else
    ## Right-aligned, the common case: the weights are the column's.
    v = ((f - "0") .* dig) * (10 .^ (w - 1:-1:0)).';
  endif
  neg = any (f == "-", 2);
  v(neg) = -v(neg);
  v += 0;   # integers have no negative zero: "-0" and blanks are 0
endfunction

## Fw.d and Ew.d fields (rows of f), d = implied decimals.  The usual layout
## (optional sign, digits with one decimal point, an optional E exponent,
## blanks only in front) goes through one sscanf, which rounds correctly;
## every other field through realfield.
function v = reals (f, implied)
  persistent badpair;
  if (isempty (badpair))
    ## Neighbours sscanf would split a field at, or stop reading at: a sign
    ## after a digit or point (an exponent without its letter), a letter
    ## not followed by a sign or digit, a sign not followed by a digit or
    ## point.  Indexed by 8 * left class + right class + 1.
    badpair = false (1, 48);
    for a = 0:5
      for b = 0:5
        badpair(8 * a + b + 1) = (any (a == [1, 2]) && b == 3) ...
                                 || (a == 4 && ! any (b == [1, 3])) ...
                                 || (a == 3 && ! any (b == [1, 2]));
      endfor
    endfor
  endif
  r = rows (f);
  v = zeros (r, 1);
  if (r == 0)
    return;
  endif
  ## The common case in one go: every field holds one decimal point (so no
  ## implied decimals and no all-blank field), and sscanf reads exactly one
  ## number per field and stops at nothing.  A field split by a blank or by
  ## an exponent sign without its letter would read as two numbers; one with
  ## a D exponent or any other character stops the scan with a message.
  if (all (sum (f == ".", 2) == 1))
    g = [f, repmat("\n", r, 1)].';
    [x, count, msg] = sscanf (g(:).', "%f");
    if (count == r && isempty (msg))
      v = x;
      return;
    endif
  endif
  ## Otherwise sort the fields: the plain ones still go through sscanf.
  c = classes (f);
  pairs = 8 * double (c(:, 1:end-1)) + double (c(:, 2:end)) + 1;
  plain = ! innerblank (c) & sum (c == 2, 2) == 1 & any (c == 1, 2) & all (c < 5, 2) ...
          & ! any (badpair(pairs), 2) & c(:, end) != 3 & c(:, end) != 4;
  if (any (plain))
    g = [f(plain, :), repmat("\n", nnz (plain), 1)].';
    [x, count] = sscanf (g(:).', "%f");
    if (count == nnz (plain))
      v(plain) = x;
    else
      plain(:) = false;   # let the general path find the faulty field
    endif
  endif
  for i = find (! plain).'
    v(i) = realfield (f(i, :), implied);
  endfor
endfunction

## One real field by the general rules.  (Scanned by hand: Octave 7's
## regexp misplaces the tokens that follow a group matching nothing.)
function v = realfield (s, implied)
  t = s(s != " ");   # blanks are ignored wherever they stand
  if (isempty (t))
    v = 0;
    return;
  endif
  negative = t(1) == "-";
  i = 1 + any (t(1) == "+-");
  m = i;
  while (m <= numel (t) && any (t(m) == "0123456789."))
    m++;
  endwhile
  mant = t(i:m-1);
  point = find (mant == ".");
  digits = mant(mant != ".");
  e = 0;
  ok = numel (point) <= 1 && ! isempty (digits);
  if (ok && m <= numel (t))
    r = t(m:end);
    if (any (r(1) == "EeDd"))
      r = r(2:end);
      ok = ! isempty (r);
    endif
    if (ok && any (r(1) == "+-"))
      esign = 1 - 2 * (r(1) == "-");
      r = r(2:end);
    elseif (ok && m <= numel (t) && any (t(m) == "EeDd"))
      esign = 1;
    else
      ok = false;   # neither an exponent letter nor a sign
    endif
    ok = ok && ! isempty (r) && all (r >= "0" & r <= "9");
    if (ok)
      e = esign * str2double (r);
    endif
  endif
  if (! ok)
    error ("tosqumg_octave: real field is not a number: \"%s\"", s);
  endif
  ## Without a point the last `implied` digits are the fraction.
  if (isempty (point))
    e -= implied;
  else
    e -= numel (mant) - point;
  endif
  v = str2double (sprintf ("0%se%d", digits, e));   # one correct rounding
  if (negative)
    v = -v;
  endif
endfunction

## Cartesian (ECEF) to latitude, longitude (degrees) and height (metres) on
## WGS 84, one column per point, each point with its own refinement passes.
function llh = xyz2llh (xyz)
  a = 6378137.0;
  f = 1.0 / 298.257223563;
  tol = double (single (1.0e-4));   # 9.999999747378752e-05
  maxpasses = 100;
  deg2rad = atan (1.0) / 45.0;
  e2 = f * 2.0 - f * f;
  x = xyz(1, :);
  y = xyz(2, :);
  z = xyz(3, :);

  p = sqrt (x .* x + y .* y);
  lon = atan2 (y, x);
  num = z ./ p;
  lat = atan2 (num, 1 - e2);
  s = sin (lat);
  c = cos (lat);
  n = a ./ sqrt (1 - e2 * (s .* s));
  h = p ./ c - n;

  oldh = -1.0e9 * ones (size (h));
  passes = zeros (size (h));
  while (true)
    go = abs (h - oldh) > tol;
    stuck = go & passes == maxpasses;
    lat(stuck) = NaN;
    h(stuck) = NaN;
    go &= ! stuck;
    if (! any (go))
      break;
    endif
    passes(go) += 1;
    oldh(go) = h(go);
    den = 1 - (e2 * n(go)) ./ (n(go) + h(go));
    lat(go) = atan2 (num(go), den);
    s = sin (lat(go));
    c = cos (lat(go));
    n(go) = a ./ sqrt (1 - e2 * (s .* s));
    h(go) = p(go) ./ c - n(go);
  endwhile

  ## On the polar axis the latitude equation degenerates; the answer is
  ## known in closed form.
  polar = p == 0 & z != 0 & ! isnan (z);
  lat(polar) = 90 * sign (z(polar));
  h(polar) = abs (z(polar)) - a * (1 - f);

  llh = [lat / deg2rad; lon / deg2rad; h];
  llh(1, polar) = lat(polar);
endfunction
