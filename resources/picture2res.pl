#!/usr/bin/perl
# Turns a text picture into a resource file at build time, so that no opaque
# image bytes live in the repository.
#   perl picture2res.pl cur PICTURE.txt OUT.cur   monochrome cursor
#   perl picture2res.pl bmp PICTURE.txt OUT.bmp   4-bit bitmap, standard 16-colour palette
# Picture file: ';' comment lines, then header lines
#   size W H          picture size in pixels
#   hotspot X Y       cursor hot spot (cur only)
#   key C N [note]    bmp only: character C stands for palette index N
# and a line "picture" followed by the rows, top row first. Cursors use the
# fixed keys '#' black, '.' white, ' ' transparent; a cursor row may stop after
# its last visible pixel and missing rows are transparent, because editors
# strip trailing blanks.
use strict;
use warnings;

my ($mode, $in, $out) = @ARGV;
die "usage: $0 cur|bmp PICTURE.txt OUT\n" unless defined $out && $mode =~ /^(cur|bmp)$/;

open(my $fh, '<', $in) or die "$in: $!\n";
my ($w, $h, $hx, $hy, %key, @rows);
my $in_picture = 0;
while (my $line = <$fh>) {
    $line =~ s/\r?\n\z//;
    if ($in_picture) { push @rows, $line; next; }
    next if $line =~ /^\s*(;|$)/;
    if    ($line =~ /^size\s+(\d+)\s+(\d+)\s*$/)        { ($w, $h) = ($1, $2); }
    elsif ($line =~ /^hotspot\s+(\d+)\s+(\d+)\s*$/)     { ($hx, $hy) = ($1, $2); }
    elsif ($line =~ /^key\s(.)\s+(\d+)(\s.*)?$/)        { $key{$1} = $2; }
    elsif ($line =~ /^picture\s*$/)                     { $in_picture = 1; }
    else  { die "$in:$.: cannot read header line '$line'\n"; }
}
close($fh);
die "$in: no size line\n" unless defined $w && $w > 0 && $h > 0;
die "$in: no picture\n" unless $in_picture;

if ($mode eq 'cur') {
    die "$in: no hotspot line\n" unless defined $hx;
    die "$in: hot spot outside the picture\n" if $hx >= $w || $hy >= $h;
    %key = ('#' => 0, '.' => 1, ' ' => 2);    # black, white, transparent
    pop @rows while @rows > $h && $rows[-1] eq '';
    push @rows, '' while @rows < $h;
    $_ .= ' ' x ($w - length) for grep { length() < $w } @rows;
}
die "$in: " . scalar(@rows) . " rows, expected $h\n" unless @rows == $h;
for my $y (0 .. $h - 1) {
    die "$in: row $y is " . length($rows[$y]) . " wide, expected $w\n" unless length($rows[$y]) == $w;
    for my $c (split //, $rows[$y]) {
        die "$in: row $y: character '$c' has no key\n" unless exists $key{$c};
        die "$in: palette index $key{$c} out of range\n" if $mode eq 'bmp' && $key{$c} > 15;
    }
}

# One bit per pixel, rows padded to 32 bits, bottom row first; $bit gives a pixel's bit.
sub mono_plane {
    my ($bit) = @_;
    my $bytes = '';
    for my $y (reverse 0 .. $h - 1) {
        my @px = map { $bit->($_) } split //, $rows[$y];
        push @px, 0 while @px % 32;
        $bytes .= pack('B*', join('', @px));
    }
    return $bytes;
}

my $data;
if ($mode eq 'cur') {
    # Black: AND 0, XOR 0. White: AND 0, XOR 1. Transparent: AND 1, XOR 0.
    my $xor = mono_plane(sub { $_[0] eq '.' ? 1 : 0 });
    my $and = mono_plane(sub { $_[0] eq ' ' ? 1 : 0 });
    my $image = pack('VVVvvVVVVVV', 40, $w, 2 * $h, 1, 1, 0, length($xor) + length($and), 0, 0, 2, 0)
              . pack('C8', 0, 0, 0, 0, 255, 255, 255, 0) . $xor . $and;
    # ICONDIR (type 2 = cursor) and its one entry, whose planes/bit-count words
    # hold the hot spot in a cursor file.
    $data = pack('vvv', 0, 2, 1)
          . pack('CCCCvvVV', $w & 255, $h & 255, 2, 0, $hx, $hy, length($image), 6 + 16)
          . $image;
} else {
    my @vga = ([0,0,0], [128,0,0], [0,128,0], [128,128,0], [0,0,128], [128,0,128], [0,128,128],
               [192,192,192], [128,128,128], [255,0,0], [0,255,0], [255,255,0], [0,0,255],
               [255,0,255], [0,255,255], [255,255,255]);
    my $palette = join('', map { pack('C4', $_->[2], $_->[1], $_->[0], 0) } @vga);
    my $pixels = '';
    for my $y (reverse 0 .. $h - 1) {
        my @nib = map { $key{$_} } split //, $rows[$y];
        push @nib, 0 while @nib % 8;                      # 8 nibbles = 32 bits
        $pixels .= pack('H*', join('', map { sprintf('%x', $_) } @nib));
    }
    my $offset = 14 + 40 + length($palette);
    $data = pack('a2VvvV', 'BM', $offset + length($pixels), 0, 0, $offset)
          . pack('VVVvvVVVVVV', 40, $w, $h, 1, 4, 0, length($pixels), 2835, 2835, 16, 0)
          . $palette . $pixels;
}

open(my $oh, '>:raw', $out) or die "$out: $!\n";
print $oh $data;
close($oh) or die "$out: $!\n";
