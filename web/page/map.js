// --- The map's picture, drawn from the map the run gives as data ---

var MAP_COLOURS = ['#0b5cad', '#1a7f37', '#8250df', '#bf3989', '#cf222e', '#9a6700', '#1b7c83',
                   '#57606a', '#6639ba', '#953800', '#0969da', '#116329', '#a40e26'];
var BANK_BYTES = 0x8000;

function hex(value, digits) {
  var text = value.toString(16).toUpperCase();
  while (text.length < digits) text = '0' + text;
  return text;
}

function hexRange(first, last) { return hex(first, 6) + '-' + hex(last, 6); }

function blockDetail(block) {
  var banks = block.banks.map(function (bank) { return hex(bank, 2); }).join(', ');
  if (block.end <= block.start) return block.name + ': empty';
  return block.name + ': file ' + hexRange(block.start, block.end - 1) + ', SNES ' +
         hexRange(block.snesStart, block.snesEnd) + ', size ' + hex(block.end - block.start, 1) +
         ', bank ' + banks + ' (hex)';
}

function bankBar(bank, blocks) {
  var box = document.createElement('div');
  box.className = 'bank';
  var first = bank.bank * BANK_BYTES;
  var name = document.createElement('div');
  name.className = 'bank-name';
  name.textContent = 'Bank ' + hex(bank.bank, 2) + ': file ' + hexRange(first, first + BANK_BYTES - 1) +
                     ', used ' + hex(bank.used, 1) + ', gaps ' + hex(bank.gaps, 1) + ', free ' +
                     hex(bank.free, 1) + ' (hex)';
  var bar = document.createElement('div');
  bar.className = 'bar';
  blocks.forEach(function (block, index) {
    var start = Math.max(block.start, first), end = Math.min(block.end, first + BANK_BYTES);
    if (start >= end) return;
    var detail = blockDetail(block);
    var segment = document.createElement('div');
    segment.className = 'seg';
    segment.style.left = (100 * (start - first) / BANK_BYTES) + '%';
    segment.style.width = Math.max(0.3, 100 * (end - start) / BANK_BYTES) + '%';
    segment.style.background = MAP_COLOURS[index % MAP_COLOURS.length];
    segment.title = detail;
    segment.textContent = block.name;
    segment.tabIndex = 0;
    segment.setAttribute('role', 'img');
    segment.setAttribute('aria-label', detail);
    var show = function () { $('map-detail').textContent = detail; };
    segment.addEventListener('mouseenter', show);
    segment.addEventListener('focus', show);
    bar.appendChild(segment);
  });
  box.appendChild(name);
  box.appendChild(bar);
  return box;
}

function inPlaceTable(regions) {
  var table = document.createElement('table');
  table.className = 'inplace';
  var heading = document.createElement('tr');
  ['Rewritten in place', 'File offsets', 'Used', 'Space', 'Left', 'Use'].forEach(function (name) {
    var th = document.createElement('th');
    th.textContent = name;
    heading.appendChild(th);
  });
  table.appendChild(heading);
  regions.forEach(function (region) {
    var row = document.createElement('tr');
    [region.name, hexRange(region.start, region.start + Math.max(region.space, 1) - 1),
     hex(region.used, 1), hex(region.space, 1), (region.space - region.used < 0 ? '-' : '') +
     hex(Math.abs(region.space - region.used), 1), region.percent + '%'].forEach(function (cell) {
      var td = document.createElement('td');
      td.textContent = cell;
      row.appendChild(td);
    });
    table.appendChild(row);
  });
  return table;
}

// `map`: the run's {blocks, banks, inPlace}, or null.
function showMap(map) {
  $('map').hidden = !map;
  $('map-banks').textContent = '';
  $('map-inplace').textContent = '';
  $('map-detail').textContent = '';
  if (!map) return;
  map.banks.forEach(function (bank) { $('map-banks').appendChild(bankBar(bank, map.blocks)); });
  if (map.inPlace.length > 0) $('map-inplace').appendChild(inPlaceTable(map.inPlace));
}
